// The trace log's lines: every traced operation writes an entry line when it
// starts and an exit line when it ends, with notes, problems and errors in
// between. Each line goes to the log file (opened for appending and closed
// again for every line) and to the lines the trace window shows. Writing a
// line also lets pending window messages run, so a long traced operation
// keeps the program answering; callers that must not be re-entered guard
// themselves. Lines are Windows-1252.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Seconds written as the trace lines begin: fixed with two decimals, at
// most five significant digits, padded with '0' to seven characters
// ("0001.50"); a point whatever the locale.
std::string FormatElapsed(double seconds);

class TTracerModel {
public:
    using TextCallback = std::function<void(const std::string &)>;

    TTracerModel();

    // Keeps the name and makes the file empty.
    void OpenLog(const std::string &file);
    const std::string &LogFile() const { return logFile_; }
    bool Tracing() const { return tracing_; }
    const std::string &Indent() const { return indent_; }

    // When tracing: the line of elapsed time, two blanks, the kind, the
    // indent and the text.
    void Trace(char kind, const std::string &text);
    // ">" "Entry : " name; the indent then grows by two blanks.
    void TraceEntry(const std::string &name);
    // The indent shrinks by two blanks (never below two); "<" "Exit  : " name.
    void TraceExit(const std::string &name);
    void TraceNote(const std::string &text);    // "|"
    void TraceText(const std::string &text);    // " "
    void TraceProblem(const std::string &text); // "*", then the problem callback
    void TraceError(const std::string &text);   // "!", then the error callback

    // Writes a line to the log (up to four attempts, each failed one marked
    // " ~") and to the shown lines, then lets pending messages run once.
    // Without a log file nothing is written or shown.
    void WriteLine(std::string line);
    std::string ElapsedText() const;

    // Suspends or resumes tracing and writes the mark, whatever the flag:
    // an empty line, the time and "  TRACE SUSPENDED" or "  TRACE ACTIVATED",
    // an empty line.
    void ToggleTracing();

    // The lines the trace window shows.
    const std::vector<std::string> &Lines() const { return lines_; }
    void ClearLines() { lines_.clear(); }

    void SetProblemCallback(TextCallback callback) { problem_ = std::move(callback); }
    void SetErrorCallback(TextCallback callback) { error_ = std::move(callback); }
    // Told of every shown line (the window's memo).
    void SetLineShown(TextCallback callback) { shown_ = std::move(callback); }
    // Seconds since the start; a steady clock from the creation unless set.
    void SetClock(std::function<double()> clock) { clock_ = std::move(clock); }
    // Lets pending window messages run once; the application's event loop
    // unless set.
    void SetMessagePump(std::function<void()> pump) { pump_ = std::move(pump); }

private:
    void PumpMessages(int times);

    bool tracing_ = true;
    std::string indent_ = "  ";
    std::string logFile_;
    std::vector<std::string> lines_;
    TextCallback problem_, error_, shown_;
    std::function<double()> clock_;
    std::function<void()> pump_;
};
