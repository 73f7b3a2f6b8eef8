// The two things the command-line modes ask of the desktop.
#pragma once

#include <string>

// Opens a program file as the user would (it then starts as the launcher).
void ReopenProgram(const std::string& programFile);

// Shows a failure's text once: a message box on Windows, standard error elsewhere.
void ShowErrorMessage(const std::string& text);
