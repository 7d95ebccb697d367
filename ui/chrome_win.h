#ifndef KIVO_CHROME_WIN_H
#define KIVO_CHROME_WIN_H

#include <windows.h>

// Every procedure here finds the DPI of the window it paints or measures and scales its
// 96-DPI pixel figures to it, so that a dialog using them needs no scaling of its own.

// Kivo's icon for drawing at `size` pixels (the band's, the tray's): the image chosen for
// that size, kept for the process.
HICON MainIconFor(int size);

// A dialog's caption band: its client rectangle cut to 20 pixels high at 96 DPI. The
// controls that start in it (the " 小 " and " 关 " labels) are moved up where their text
// would stand below it.
RECT CaptionBandOf(HWND dialog);

// Answers WM_DPICHANGED (per-monitor DPI): the dialog takes the rectangle Windows suggests
// (lParam) and posts itself DpiSettledMessage. The dialog procedure returns FALSE, so that
// the dialog manager goes on to lay the controls out and give them fonts at the new DPI.
void FollowDpiChange(HWND dialog, LPARAM suggested);
constexpr UINT DpiSettledMessage = WM_APP + 10;

// Answers DpiSettledMessage, once the controls stand at the new DPI: the band at it
// (CaptionBandOf), the whole dialog to be repainted.
RECT SettleAtNewDpi(HWND dialog);

// Starts moving the dialog as if its title bar had been grasped, when the WM_LBUTTONDOWN
// point (lParam) lies in the band.
void DragIfInCaption(HWND dialog, const RECT& band, LPARAM point);

// Answers WM_CTLCOLORDLG and WM_CTLCOLORSTATIC: black text, transparent background,
// BackgroundBrush as the face.
INT_PTR ColourDialogFace(WPARAM dc);

// Paints the gradient caption band, its frame, Kivo's icon and the bold title.
void PaintCaption(HDC dc, const char* text, const RECT& band);

// Paints an owner-drawn push button: flat face, raised edge, black text; pressed,
// yellow text in a sunken edge.
void DrawOwnerButton(const DRAWITEMSTRUCT& item);

// Shows a dialog through a square that grows from its centre, then trims the working set.
void PlayOpenAnimation(HWND window);

#endif
