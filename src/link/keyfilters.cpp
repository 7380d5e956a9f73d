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
    KeyFilter(QLineEdit *edit, std::function<QChar(QChar)> filter)
        : QObject(edit), m_edit(edit), m_filter(std::move(filter))
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
        if (kept == text)
            return false;
        if (!kept.isEmpty() && !m_edit->isReadOnly())
            m_edit->insert(kept);
        return true;
    }

private:
    QLineEdit *m_edit;
    std::function<QChar(QChar)> m_filter;
};

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
        edit->installEventFilter(new KeyFilter(edit, [](QChar c) { return edtFloat(c, QLocale()); }));
}
