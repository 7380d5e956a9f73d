#include "link/messages.h"

#include "link/conventions.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

MessageSink::~MessageSink() = default;

namespace
{

bool g_unattended = false;

class BoxSink : public MessageSink
{
public:
    void Show(const QString &text) override
    {
        if (!HaveWidgets() || g_unattended) {
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
            return;
        }
        QMessageBox::information(QApplication::activeWindow(), Title(), DisplayLines(text));
    }

    bool Ask(const QString &text) override
    {
        if (!HaveWidgets() || g_unattended) {
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
            return false; // nobody to say yes
        }
        return QMessageBox::question(QApplication::activeWindow(), Title(), DisplayLines(text),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    }

private:
    static bool HaveWidgets() { return qobject_cast<QApplication *>(QCoreApplication::instance()); }
    static QString Title() { return QGuiApplication::applicationDisplayName(); }
};

BoxSink g_boxes;
MessageSink *g_sink = nullptr;

MessageSink &Sink()
{
    return g_sink ? *g_sink : g_boxes;
}

} // namespace

namespace Messages
{

void Show(const QString &text)
{
    Sink().Show(text);
}

bool Ask(const QString &text)
{
    return Sink().Ask(text);
}

void SetUnattended()
{
    g_unattended = true;
}

void SetSink(MessageSink *sink)
{
    g_sink = sink;
}

MessageSink *CurrentSink()
{
    return g_sink;
}

bool ToInteger(const QString &text, int *out)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok) {
        Show(QStringLiteral("\"%1\" не является целым числом").arg(text));
        return false;
    }
    *out = v;
    return true;
}

bool ToDouble(const QString &text, double *out)
{
    bool ok = false;
    const double v = ParseDecimal(text, &ok);
    if (!ok) {
        Show(QStringLiteral("\"%1\" не является числом").arg(text));
        return false;
    }
    *out = v;
    return true;
}

} // namespace Messages
