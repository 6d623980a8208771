#pragma once
// The help engine: a program asks for a topic of a help file by a command and
// a context number.  The request is recorded (the last requests stay readable
// for diagnostics and tests) and handed to the viewer, by default the
// desktop's handler for the file.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QWidget;

// Commands.
inline constexpr std::uint32_t HELP_CONTEXT = 0x0001;  // show the topic of a context number

struct HelpRequest {
  std::string file;
  std::uint32_t command = 0;
  std::uintptr_t data = 0;  // the context number for HELP_CONTEXT
};

using HelpViewer = std::function<bool(QWidget* owner, const HelpRequest& request)>;

// Records the request and shows it; returns whether the viewer could show it.
// False without a file name.
bool ShowHelp(QWidget* owner, const char* helpFile, std::uint32_t command, std::uintptr_t data);

// Replaces the viewer (an empty function restores the desktop's handler).
void SetHelpViewer(HelpViewer viewer);

// The requests made so far in this process, oldest first (at most the last 16).
std::vector<HelpRequest> HelpRequests();
