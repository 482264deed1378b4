// Where a probe's status is shown: the dialog's status line, or a tool's output.
#pragma once

class StatusLine {
  public:
    virtual ~StatusLine() = default;
    virtual void SetStatusText(const char* text) = 0;
};
