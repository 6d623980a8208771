// The QuilletExt module's bitmaps and cursors, written by make_ext_images.py.
// FF00FF is the background of the list images (the image lists' mask
// colour); the cursors' background is transparent.

#include <iterator>

#include "platform/resources/ResourceBitmaps.h"
#include "platform/resources/ResourceCursors.h"
#include "resources/extension/ExtensionModule.h"

namespace {

// The memo list's large image 0: a memo.
const char* const kLargeImages[] = {
    "32 32 9 1",
    ". c #FF00FF",
    "b c #3A5BA8",
    "e c #E88A9A",
    "f c #E2CF72",
    "g c #808080",
    "k c #000000",
    "n c #404040",
    "o c #F0A020",
    "p c #FFF6B8",
    "................................",
    "................................",
    "....kkkkkkkkkkkkkkkk............",
    "....kppppppppppppppkk...........",
    "....kppppppppppppppkfk..........",
    "....kppppppppppppppkffk.........",
    "....kppppppppppppppkfffk........",
    "....kppppppppppppppkffffk.......",
    "....kppppppppppppppkkkkkkk......",
    "....kppppppppppppppppppppkg.....",
    "....kppppppppppppppppppppkg..k..",
    "....kppbbbbbbbbbbbbbbbbppkg.kee.",
    "....kppppppppppppppppppppkgkeeek",
    "....kppppppppppppppppppppkkggek.",
    "....kppppppppppppppppppppkgggk..",
    "....kppbbbbbbbbbbbbbbbbpkoogk...",
    "....kppppppppppppppppppkoook....",
    "....kpppppppppppppppppkoook.....",
    "....kppppppppppppppppkoookg.....",
    "....kppbbbbbbbbbbbppkoookkg.....",
    "....kppppppppppppppkoookpkg.....",
    "....kpppppppppppppkoookppkg.....",
    "....kppppppppppppkoookpppkg.....",
    "....kppbbbbbbbbbffookbbppkg.....",
    "....kppppppppppkfffkpppppkg.....",
    "....kppppppppppffffppppppkg.....",
    "....kpppppppppnffkpppppppkg.....",
    "....kppbbbbbbbnnbbbbbbbppkg.....",
    "....kppppppppnpppppppppppkg.....",
    "....kkkkkkkkkkkkkkkkkkkkkkg.....",
    ".....gggggggggggggggggggggg.....",
    "................................"};

// The memo list's small image 0: a memo.
const char* const kSmallImages[] = {
    "16 16 6 1",
    ". c #FF00FF",
    "b c #3A5BA8",
    "f c #E2CF72",
    "g c #808080",
    "k c #000000",
    "p c #FFF6B8",
    "................",
    "..kkkkkkkk......",
    "..kppppppkk.....",
    "..kppppppkfk....",
    "..kppppppkkkk...",
    "..kpppppppppkg..",
    "..kpbbbbbbbpkg..",
    "..kpppppppppkg..",
    "..kpbbbbbbbpkg..",
    "..kpppppppppkg..",
    "..kpbbbbbpppkg..",
    "..kpppppppppkg..",
    "..kpbbbbbbbpkg..",
    "..kpppppppppkg..",
    "..kkkkkkkkkkkg..",
    "...ggggggggggg.."};

// The memo editor's window icon: a memo and a pen.
const char* const kMemoEditorIcon[] = {
    "32 32 10 1",
    "  c None",
    "b c #3A5BA8",
    "d c #1E2B4F",
    "f c #E2CF72",
    "g c #808080",
    "k c #000000",
    "n c #404040",
    "p c #FFF6B8",
    "w c #FFFFFF",
    "y c #D8B040",
    "                                ",
    "                                ",
    "    kkkkkkkkkkkkkkkk            ",
    "    kppppppppppppppkk           ",
    "    kppppppppppppppkfk          ",
    "    kppppppppppppppkffk         ",
    "    kppppppppppppppkfffk        ",
    "    kppppppppppppppkffffk       ",
    "    kppppppppppppppkkkkkkk  kk  ",
    "    kppppppppppppppppppppkgkkkk ",
    "    kppppppppppppppppppppkkwdkkk",
    "    kppbbbbbbbbbbbbbbbbppkwdddkk",
    "    kpppppppppppppppppppkwddddk ",
    "    kppppppppppppppppppkwddddk  ",
    "    kpppppppppppppppppkwddddk   ",
    "    kppbbbbbbbbbbbbbbkwddddk    ",
    "    kpppppppppppppppkwddddk     ",
    "    kppppppppppppppkyddddkg     ",
    "    kpppppppppppppkyyyddkkg     ",
    "    kppbbbbbbbbbbkwdyyykpkg     ",
    "    kpppppppppppkwdddykppkg     ",
    "    kppppppppppknndddkpppkg     ",
    "    kppppppppppnnnndkppppkg     ",
    "    kppbbbbbbbbynnnkbbbppkg     ",
    "    kpppppppppkyynkppppppkg     ",
    "    kppppppppkykpppppppppkg     ",
    "    kppppppppkkppppppppppkg     ",
    "    kppbbbbbnbbbbbbbbbbppkg     ",
    "    kppppppppppppppppppppkg     ",
    "    kkkkkkkkkkkkkkkkkkkkkkg     ",
    "     gggggggggggggggggggggg     ",
    "                                "};

// Over a side-by-side splitter bar.
const char* const kSplitSideCursor[] = {
    "32 32 3 1",
    "  c None",
    "k c #000000",
    "w c #FFFFFF",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "              wwww              ",
    "              wkkw              ",
    "              wkkw              ",
    "              wkkw              ",
    "              wkkw              ",
    "              wkkw              ",
    "      www     wkkw     www      ",
    "     wwkw     wkkw     wkww     ",
    "    wwkkw     wkkw     wkkww    ",
    "   wwkkkw     wkkw     wkkkww   ",
    "  wwkkkkwwwwwwwkkwwwwwwwkkkkww  ",
    "  wkkkkkkkkkkkwkkwkkkkkkkkkkkw  ",
    "  wkkkkkkkkkkkwkkwkkkkkkkkkkkw  ",
    "  wwkkkkwwwwwwwkkwwwwwwwkkkkww  ",
    "   wwkkkw     wkkw     wkkkww   ",
    "    wwkkw     wkkw     wkkww    ",
    "     wwkw     wkkw     wkww     ",
    "      www     wkkw     www      ",
    "              wkkw              ",
    "              wkkw              ",
    "              wkkw              ",
    "              wkkw              ",
    "              wkkw              ",
    "              wwww              ",
    "                                ",
    "                                ",
    "                                ",
    "                                "};

// Over the maker link.
const char* const kLinkCursor[] = {
    "32 32 3 1",
    "  c None",
    "k c #000000",
    "w c #FFFFFF",
    "                                ",
    "         kk                     ",
    "        kwwk                    ",
    "        kwwk                    ",
    "        kwwk                    ",
    "        kwwk                    ",
    "        kwwkkk                  ",
    "        kwwkwwkkk               ",
    "        kwwkwwkwwkkk            ",
    "        kwwkwwkwwkwwk           ",
    "     kk kwwkwwkwwkwwk           ",
    "    kwwkkwwkwwkwwkwwk           ",
    "    kwwwkwwwwwwwwwwwk           ",
    "     kwwkwwwwwwwwwwwk           ",
    "      kwwwwwwwwwwwwwk           ",
    "      kwwwwwwwwwwwwwk           ",
    "       kwwwwwwwwwwwwk           ",
    "       kwwwwwwwwwwwk            ",
    "        kwwwwwwwwwwk            ",
    "        kwwwwwwwwwk             ",
    "         kwwwwwwwwk             ",
    "         kkkkkkkkkk             ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                "};

const ResourceBitmap kBitmaps[] = {
    {IDB_LARGE_IMAGES, kLargeImages},
    {IDB_SMALL_IMAGES, kSmallImages},
    {IDI_MEMO_EDITOR, kMemoEditorIcon},
};

const ResourceCursor kCursors[] = {
    {IDCUR_SPLIT_SIDE, kSplitSideCursor, 16, 16},
    {IDCUR_LINK, kLinkCursor, 9, 1},
};

}  // namespace

bool AddExtensionImages(ResourceInstance module) {
  return ResourceAddBitmaps(module, kBitmaps, std::size(kBitmaps)) >= 0 &&
         ResourceAddCursors(module, kCursors, std::size(kCursors)) >= 0;
}
