// CaptureFormImage: copies what a window shows into a hidden picture box.
#pragma once

class QLabel;
class QWidget;

namespace corv {

// Renders form (its client area, or the whole window when wholeWindow is set) into box,
// which becomes a hidden, borderless box of that size holding the copy as its picture.
// The copy is the window's own rendering: nothing that covers it on screen gets in.
void CaptureFormImage(QWidget& form, QLabel& box, bool& wholeWindow);

}  // namespace corv

namespace corv {

// PrintForm: prints what form shows, on a landscape page of the default printer, at
// its size on the screen or smaller to fit the page. Error 482 with kNoPrinterMessage
// when no printer is configured, "Printer error" when the job cannot be made.
void PrintForm(QWidget& form);

}  // namespace corv
