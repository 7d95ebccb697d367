#ifndef KIVO_CHROME_WIN_H
#define KIVO_CHROME_WIN_H

#include <windows.h>

// A dialog's caption band: its client rectangle cut to 20 device pixels high.
RECT CaptionBandOf(HWND dialog);

// Starts moving the dialog as if its title bar had been grasped, when the WM_LBUTTONDOWN
// point (lParam) lies in the band.
void DragIfInCaption(HWND dialog, const RECT& band, LPARAM point);

// Answers WM_CTLCOLORDLG and WM_CTLCOLORSTATIC: black text, transparent background,
// BackgroundBrush as the face.
INT_PTR ColourDialogFace(WPARAM dc);

// Paints the gradient caption band, its frame, the icon (if any) and the bold title.
void PaintCaption(HDC dc, HICON icon, const char* text, const RECT& band);

// Paints an owner-drawn push button: flat face, raised edge, black text; pressed,
// yellow text in a sunken edge.
void DrawOwnerButton(const DRAWITEMSTRUCT& item);

// Shows a dialog through a square that grows from its centre, then trims the working set.
void PlayOpenAnimation(HWND window);

#endif
