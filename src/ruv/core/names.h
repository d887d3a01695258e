// Name rules shared by every stage that writes a name into the file.
#pragma once

#include <string>
#include <string_view>

// The first 255 characters of `text` with every space removed; empty for null or empty text.
std::wstring StripSpaces(const wchar_t* text);

// `text` made into a name every reader accepts in every encoding: at most 255 characters copied,
// every character outside [A-Za-z0-9_-] (a '"' too) turned into '_', and a '_' put in front of a
// name that starts with a digit or '-' or that is a keyword of the text encoding (template,
// array, DWORD, ... in any letter case).
std::wstring CleanName(std::wstring_view text);

// The name of the host scene root as the export uses it: its blanks removed, and "SceneRoot" when
// what remains is not already a clean identifier.
std::wstring PrepareRootNodeName(const wchar_t* hostName);
