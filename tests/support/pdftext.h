#pragma once

#include <QProcess>
#include <QString>

// The text of a PDF laid out as on its page (pdftotext -layout); empty when it
// cannot be read.
inline QString PdfText(const QString &pdf)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    return text.waitForFinished(20000) ? QString::fromUtf8(text.readAllStandardOutput()) : QString();
}
