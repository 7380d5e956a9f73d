#include "support/messagerecorder.h"

MessageRecorder::MessageRecorder() : m_previous(Messages::CurrentSink())
{
    Messages::SetSink(this);
}

MessageRecorder::~MessageRecorder()
{
    Messages::SetSink(m_previous);
}

void MessageRecorder::Show(const QString &text)
{
    shown << text;
}

bool MessageRecorder::Ask(const QString &text)
{
    asked << text;
    return answers.isEmpty() ? answer : answers.takeFirst();
}

void MessageRecorder::Clear()
{
    shown.clear();
    asked.clear();
}
