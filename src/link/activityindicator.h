#pragma once

#include <QLabel>

// A label that turns one step per successful periodic read: "|", "/", "--", "\".
class ActivityIndicator : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(int tag READ Tag WRITE SetTag)
public:
    explicit ActivityIndicator(QWidget *parent = nullptr);

    int Tag() const { return m_tag; }
    void SetTag(int phase) { m_tag = phase; }

    void Advance();
    static QString Symbol(int phase);

private:
    int m_tag = 0;
};
