// What a screen reader needs of the dialog beyond the controls' own texts.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

// Marks a control as a polite live region: a screen reader reads out its new
// text when told of a change, without cutting short what it is saying.
// Where the system has no such property, nothing happens.
void MarkLiveRegion(HWND control);
// Tells screen readers that the live region's text has changed; Windows
// versions that do not know the event ignore it.
void AnnounceChange(HWND control);
