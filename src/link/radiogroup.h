#pragma once

#include <QList>
#include <QObject>

class QAbstractButton;
class QButtonGroup;
class QRadioButton;
class QWidget;

// The item-index view of a set of radio buttons: index of the checked one,
// -1 for none. ItemIndexChanged is the group's click handler: it tells of the
// operator's change of selection, whichever way it came (mouse, keyboard, or
// assistive technology, which toggles instead of clicking); SetItemIndex and
// changes made while the program fills the group do not emit it.
class RadioGroup : public QObject
{
    Q_OBJECT
public:
    // The radio buttons that are children of box, in creation (form) order.
    explicit RadioGroup(QWidget *box, QObject *parent = nullptr);
    explicit RadioGroup(const QList<QRadioButton *> &buttons, QObject *parent = nullptr);

    int ItemIndex() const;
    // -1 or an index out of range unchecks all. Does not emit ItemIndexChanged.
    void SetItemIndex(int index);
    int Count() const;
    QRadioButton *Button(int index) const;
    QButtonGroup *Group() const { return m_group; }

Q_SIGNALS:
    void ItemIndexChanged(int index);

private:
    void Add(const QList<QRadioButton *> &buttons);
    QButtonGroup *m_group;
    int m_last = -1;
    bool m_setting = false;
};
