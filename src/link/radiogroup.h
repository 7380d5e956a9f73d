#pragma once

#include <QList>
#include <QObject>

class QAbstractButton;
class QButtonGroup;
class QRadioButton;
class QWidget;

// The item-index view of a set of radio buttons: index of the checked one,
// -1 for none.
class RadioGroup : public QObject
{
    Q_OBJECT
public:
    // The radio buttons that are children of box, in creation (form) order.
    explicit RadioGroup(QWidget *box, QObject *parent = nullptr);
    explicit RadioGroup(const QList<QRadioButton *> &buttons, QObject *parent = nullptr);

    int ItemIndex() const;
    // -1 or an index out of range unchecks all.
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
};
