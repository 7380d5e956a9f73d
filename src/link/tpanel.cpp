#include "link/tpanel.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace
{
// Assistive technology sees a button named by the caption that presses like a click.
class TPanelAccessible : public QAccessibleWidget
{
public:
    explicit TPanelAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Button) {}
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && widget()->isEnabled())
            QMetaObject::invokeMethod(widget(), "clicked", Qt::QueuedConnection);
    }
};

QAccessibleInterface *PanelFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("TPanel") && object && object->isWidgetType())
        return new TPanelAccessible(static_cast<QWidget *>(object));
    return nullptr;
}
} // namespace

TPanel::TPanel(QWidget *parent) : QFrame(parent)
{
    static const bool installed = (QAccessible::installFactory(PanelFactory), true);
    Q_UNUSED(installed);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void TPanel::SetCaption(const QString &caption)
{
    m_caption = caption;
    // What assistive technology reads is the state shown.
    setAccessibleName(caption);
    update();
}

QColor TPanel::FontColor() const
{
    return palette().color(QPalette::WindowText);
}

void TPanel::SetFontColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

void TPanel::SetRaised(bool raised)
{
    setFrameShadow(raised ? QFrame::Raised : QFrame::Sunken);
}

QSize TPanel::sizeHint() const
{
    const QSize text = fontMetrics().size(Qt::TextSingleLine, m_caption);
    return QSize(text.width() + 16, text.height() + 10);
}

void TPanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(FontColor());
    painter.drawText(contentsRect(), Qt::AlignCenter, m_caption);
    if (hasFocus()) {
        QPen pen(palette().color(QPalette::Highlight));
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(contentsRect().adjusted(1, 1, -2, -2));
    }
}

void TPanel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QFrame::mouseReleaseEvent(event);
}

void TPanel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Q_EMIT clicked();
        return;
    }
    QFrame::keyPressEvent(event);
}
