#pragma once

#include <QString>

namespace engine {

// Where the engine writes the state window's lines. The three kinds differ only in what
// goes in front of the text: the time of day, eight blanks, or nothing.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void logStringWithTime(const QString& text) = 0;
    virtual void logStringWithIndent(const QString& text) = 0;
    virtual void logStringOnly(const QString& text) = 0;
};

} // namespace engine
