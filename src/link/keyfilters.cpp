#include "link/keyfilters.h"

#include "link/conventions.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <functional>

namespace
{

class KeyFilter : public QObject
{
public:
    KeyFilter(QLineEdit *edit, std::function<QChar(QChar)> filter,
              std::function<bool(const QString &)> acceptable = {})
        : QObject(edit), m_edit(edit), m_filter(std::move(filter)), m_acceptable(std::move(acceptable))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_edit || event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        if (text.isEmpty() || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            return false;
        for (const QChar c : text) {
            if (!c.isPrint())
                return false;
        }
        QString kept;
        for (const QChar c : text) {
            const QChar k = m_filter(c);
            if (!k.isNull())
                kept.append(k);
        }
        if (!kept.isEmpty() && m_acceptable && !m_acceptable(Typed(kept)))
            kept.clear();
        if (kept == text)
            return false;
        if (!kept.isEmpty() && !m_edit->isReadOnly())
            m_edit->insert(kept);
        return true;
    }

private:
    // The field's text as it would be with s typed over the selection.
    QString Typed(const QString &s) const
    {
        QString t = m_edit->text();
        if (m_edit->hasSelectedText())
            return t.replace(m_edit->selectionStart(), m_edit->selectedText().size(), s);
        return t.insert(m_edit->cursorPosition(), s);
    }

    QLineEdit *m_edit;
    std::function<QChar(QChar)> m_filter;
    std::function<bool(const QString &)> m_acceptable;
};

// At most one decimal separator, and a minus only in front.
bool DecimalShape(const QString &text)
{
    int separators = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('-') && i != 0)
            return false;
        if ((c == QLatin1Char(',') || c == QLatin1Char('.')) && ++separators > 1)
            return false;
    }
    return true;
}

} // namespace

void InstallIntFilter(QLineEdit *edit)
{
    if (edit)
        edit->installEventFilter(new KeyFilter(edit, [](QChar c) { return edtInt(c); }));
}

void InstallFloatFilter(QLineEdit *edit)
{
    // The locale is taken at each key so a changed default applies at once.
    if (edit)
        edit->installEventFilter(new KeyFilter(
            edit, [](QChar c) { return edtFloat(c, QLocale()); }, DecimalShape));
}
