#pragma once

#include "link/messages.h"

#include <QList>
#include <QStringList>

// Records every message and question instead of showing a box; answers
// questions from `answers` first, then with `answer`.
class MessageRecorder : public MessageSink
{
public:
    MessageRecorder();
    ~MessageRecorder() override;
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    void Show(const QString &text) override;
    bool Ask(const QString &text) override;
    void Clear();

    QStringList shown;
    QStringList asked;
    bool answer = true;
    QList<bool> answers;

private:
    MessageSink *m_previous;
};
