#pragma once

class QPlainTextEdit;
class TextLog;

/// Makes a read-only memo show a text log as it grows; each new line is painted at once,
/// because the lines arrive while the thread is busy with the switcher.
void ShowTextLog(QPlainTextEdit *memo, TextLog &log);
