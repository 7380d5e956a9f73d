#include "link/radiogroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QScopedValueRollback>

RadioGroup::RadioGroup(QWidget *box, QObject *parent)
    : QObject(parent ? parent : box), m_group(new QButtonGroup(this))
{
    if (box)
        Add(box->findChildren<QRadioButton *>());
}

RadioGroup::RadioGroup(const QList<QRadioButton *> &buttons, QObject *parent)
    : QObject(parent), m_group(new QButtonGroup(this))
{
    Add(buttons);
}

void RadioGroup::Add(const QList<QRadioButton *> &buttons)
{
    int id = 0;
    for (QRadioButton *b : buttons) {
        m_group->addButton(b, id);
        if (b->isChecked())
            m_last = id;
        ++id;
    }
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (!checked || id == m_last)
            return;
        m_last = id;
        if (!m_setting)
            Q_EMIT ItemIndexChanged(id);
    });
}

int RadioGroup::ItemIndex() const
{
    return m_group->checkedId();
}

void RadioGroup::SetItemIndex(int index)
{
    const QScopedValueRollback<bool> setting(m_setting, true);
    if (QAbstractButton *b = m_group->button(index)) {
        b->setChecked(true);
        return;
    }
    if (QAbstractButton *checked = m_group->checkedButton()) {
        // An exclusive group refuses to uncheck its last button.
        m_group->setExclusive(false);
        checked->setChecked(false);
        m_group->setExclusive(true);
    }
    m_last = -1;
}

int RadioGroup::Count() const
{
    return static_cast<int>(m_group->buttons().size());
}

QRadioButton *RadioGroup::Button(int index) const
{
    return qobject_cast<QRadioButton *>(m_group->button(index));
}
