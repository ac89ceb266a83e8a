#include "editor/shell/support/tracer_model.h"

#include <QCoreApplication>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

std::string FormatElapsed(double seconds)
{
    if (!(seconds >= 0))
        seconds = 0;
    char buffer[64];
    std::string text;
    if (seconds >= 99999.995) {
        // Too many digits for the fixed form: five significant digits.
        const auto r =
            std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::scientific, 4);
        text.assign(buffer, r.ptr);
    } else {
        const int integerDigits = seconds < 1 ? 1 : int(std::floor(std::log10(seconds))) + 1;
        const int decimals = std::clamp(5 - integerDigits, 0, 2);
        const auto r =
            std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed, decimals);
        text.assign(buffer, r.ptr);
        if (decimals == 0)
            text += '.';
        text.append(size_t(2 - decimals), '0');
    }
    if (text.size() < 7)
        text.insert(0, 7 - text.size(), '0');
    return text;
}

TTracerModel::TTracerModel()
{
    const auto start = std::chrono::steady_clock::now();
    clock_ = [start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    pump_ = [] { QCoreApplication::processEvents(); };
}

void TTracerModel::OpenLog(const std::string &file)
{
    logFile_ = file;
    if (FILE *f = std::fopen(file.c_str(), "wb"))
        std::fclose(f);
}

void TTracerModel::Trace(char kind, const std::string &text)
{
    if (tracing_)
        WriteLine(ElapsedText() + "  " + kind + indent_ + text);
}

void TTracerModel::TraceEntry(const std::string &name)
{
    if (!tracing_)
        return;
    Trace('>', "Entry : " + name);
    indent_ += "  ";
}

void TTracerModel::TraceExit(const std::string &name)
{
    if (!tracing_)
        return;
    if (indent_.size() > 2)
        indent_.resize(indent_.size() - 2);
    Trace('<', "Exit  : " + name);
}

void TTracerModel::TraceNote(const std::string &text) { Trace('|', text); }

void TTracerModel::TraceText(const std::string &text) { Trace(' ', text); }

void TTracerModel::TraceProblem(const std::string &text)
{
    Trace('*', text);
    if (problem_)
        problem_(text);
}

void TTracerModel::TraceError(const std::string &text)
{
    Trace('!', text);
    if (error_)
        error_(text);
}

void TTracerModel::WriteLine(std::string line)
{
    if (!logFile_.empty()) {
        // A log that fails (another program holding it, a full disk) gets
        // three more tries, with more and more time between them.
        static constexpr int kPumpsAfterFailure[] = {10, 100, 10000};
        for (int attempt = 0; attempt < 4; ++attempt) {
            bool written = false;
            if (FILE *f = std::fopen(logFile_.c_str(), "ab")) {
                written = std::fwrite(line.data(), 1, line.size(), f) == line.size() &&
                          std::fwrite("\r\n", 1, 2, f) == 2;
                written = std::fclose(f) == 0 && written;
            }
            lines_.push_back(line);
            if (shown_)
                shown_(line);
            if (written)
                break;
            if (attempt < 3) {
                line += " ~";
                PumpMessages(kPumpsAfterFailure[attempt]);
            }
        }
    }
    PumpMessages(1);
}

std::string TTracerModel::ElapsedText() const { return FormatElapsed(clock_()); }

void TTracerModel::ToggleTracing()
{
    tracing_ = !tracing_;
    WriteLine("");
    WriteLine(ElapsedText() + (tracing_ ? "  TRACE ACTIVATED" : "  TRACE SUSPENDED"));
    WriteLine("");
}

void TTracerModel::PumpMessages(int times)
{
    for (int i = 0; i < times && pump_; ++i)
        pump_();
}
