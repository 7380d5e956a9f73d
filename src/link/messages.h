#pragma once

#include <QString>

// Where message boxes go: the program shows them, tests record them.
class MessageSink
{
public:
    virtual ~MessageSink();
    virtual void Show(const QString &text) = 0;
    virtual bool Ask(const QString &text) = 0;
};

namespace Messages
{
// An information box titled with the application's name.
void Show(const QString &text);
// A Yes/No question; true = Yes.
bool Ask(const QString &text);
// From now on nobody is there to answer: boxes are written to stderr instead of
// waiting, questions are answered No. Set when the program is closed by a signal.
void SetUnattended();
// nullptr restores the message boxes.
void SetSink(MessageSink *sink);
MessageSink *CurrentSink();
// The integer in a field's text, or the conversion message and false.
bool ToInteger(const QString &text, int *out);
// The decimal number in a field's text (either separator), or the conversion message and false.
bool ToDouble(const QString &text, double *out);
} // namespace Messages
