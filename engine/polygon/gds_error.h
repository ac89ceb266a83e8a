// The polygon engine's exception object. Every fatal report of the engine
// ends the running operation with one of these.
#pragma once

#include <exception>
#include <string>

class GDS_Error : public std::exception {
public:
    // A null message or header reads "non specified"; texts keep at most 199
    // characters, as the engine's fixed buffers do.
    GDS_Error(const char *message, const char *header = nullptr, int degree = 9, int fatal = 1);

    const char *what() const noexcept override { return _message.c_str(); }

    const char *GetMessage() const { return _message.c_str(); }
    const char *GetHeader() const { return _header.c_str(); }
    int GetDegree() const { return _degree; }
    int GetFatal() const { return _fatal; }

    // The report that caused the error (for instance a list error's composed
    // text). The installed error handler raises the generic " Fatal Error";
    // the report is kept here so that the cause is not lost on the way out.
    const char *GetReportMessage() const { return _reportMessage.c_str(); }
    const char *GetReportHeader() const { return _reportHeader.c_str(); }
    void SetReport(const char *message, const char *header);

    static constexpr std::size_t kMaxText = 199;

private:
    std::string _message;
    std::string _header;
    int _degree;
    int _fatal;
    std::string _reportMessage;
    std::string _reportHeader;
};
