#pragma once

class QApplication;

// Makes a start-up probe of app: when the first window has been painted, prints the time
// of the steady clock in nanoseconds on stdout and closes that window, which ends the program.
void ReportFirstPaintAndClose(QApplication& app);
