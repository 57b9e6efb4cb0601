// The one message box through which the user is told of results and
// failures: the program's text, the platform's text for the status and the
// status in hexadecimal.
#pragma once

#include <windows.h>

#include <string>

// Composes and shows the message; returns the MessageBoxA result. With type 0
// and a non-zero status the box gets the error icon.
int ShowMessage(HWND hWndOwner, LPCSTR pszText, LPCSTR pszCaption, HRESULT hr, UINT uType);

// The text ShowMessage would show, lines separated by "\n".
std::string ComposeMessage(LPCSTR pszText, HRESULT hr);
