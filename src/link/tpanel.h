#pragma once

#include <QFrame>
#include <QString>

// A captioned panel whose state an operator sees in its caption, font colour and
// outer bevel; clickable by mouse and keyboard. The appearance settings tell it from
// labels by its class name.
class TPanel : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QString caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool raised READ Raised WRITE SetRaised)
    Q_PROPERTY(int tag READ Tag WRITE SetTag)
public:
    explicit TPanel(QWidget *parent = nullptr);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString &caption);
    QColor FontColor() const;
    void SetFontColor(const QColor &color);
    // Raised outer bevel (true) or lowered (false).
    bool Raised() const { return frameShadow() != QFrame::Sunken; }
    void SetRaised(bool raised);
    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString m_caption;
    int m_tag = 0;
};
