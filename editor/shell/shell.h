// The application shell: start-up and clean-up of the main window's
// resources, the command line, dropped files and the quit question.
#ifndef PIVOLA_SHELL_SHELL_H
#define PIVOLA_SHELL_SHELL_H

#include <cstdint>
#include <string>

#include "core/state.h"

namespace pivola {

// The single-instance mutex's name and the calculator candidates, in order.
inline constexpr const char* kMutexName = "Pivola";
inline constexpr const char* kCalcNames[] = {"Numexa35.dll", "Numexa34.dll"};
inline constexpr const char* kCalcFunction = "Evalnum";

// The creation work of WM_CREATE. False when the view surface cannot be made.
bool initshell(App& app, Port& port);

// Releases the shell's and the document's resources; each exactly once, so a
// second call does nothing.
void releaseshell(App& app, Port& port);

// Binds the first calculator library that loads and has "Evalnum".
void bindcalc(App& app, Port& port);

// Asks "終了しますか？"; true only for Yes.
bool confirmquit(Port& port);

// The command line (the text after the program's name) as the settings
// path: surrounding double quotes removed. Empty when nothing is left, and
// when the path would not fit in kMaxPath characters.
std::string parsecommandline(const char* commandline);

enum class DropKind { picture, settings, dragpoints, other };

// The kind of a dropped file by its extension (bmp, inf, dp in any case).
DropKind dropkind(const std::string& path);

// WM_DROPFILES: takes the first file, acts on its kind, releases the drop.
void dropfile(App& app, Port& port, std::uintptr_t drop);

// Shift-JIS aware helpers for paths.
bool sjislead(unsigned char c);
// Offset of the last character of text (npos when empty).
std::size_t lastchar(const std::string& text);
// The extension of the file-name part, with its dot ("" when none).
std::string extension(const std::string& path);

}  // namespace pivola

#endif
