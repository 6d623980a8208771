#pragma once
// Opening a document or web address the way the desktop's "open" action
// does: a web address goes to the browser, a local path to the program that
// handles its type.  Tests put their own handler in place so that nothing is
// really opened.

#include <QUrl>

#include <functional>
#include <string>

// Receives the address to open; returns true when it was handed over.
using ShellOpenHandler = std::function<bool(const QUrl&)>;

// The address that `target` (ANSI bytes) stands for: a target with a scheme
// ("https://...", "mailto:...") as it is, anything else as a local file (a
// relative path taken from the current folder).  An empty url for an empty
// target.
QUrl ShellTargetUrl(const std::string& target);

// Opens `target` (ANSI bytes) with the handler in place (the desktop's URL
// opener unless replaced).  False for an empty target or when the handler
// refuses it.
bool ShellOpen(const std::string& target);

// Puts `handler` in place of the current one and returns the one it
// replaces; an empty handler restores the desktop's URL opener.
ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler);
