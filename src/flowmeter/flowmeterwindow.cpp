#include "flowmeter/flowmeterwindow.h"

#include "link/conventions.h"
#include "link/messages.h"
#include "link/windowplacement.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStatusBar>

#include <limits>

namespace
{
const QString kIni = QStringLiteral("QTM.ini");

struct Range {
    qint64 lo, hi;
};

// What a whole number typed for a register of that type may be; words take the
// signed reading too, so -1 goes out as 65535.
Range RangeOf(int type)
{
    switch (type) {
    case dtUInt8:
        return {0, 255};
    case dtInt8:
        return {-128, 127};
    case dtInt16:
        return {-32768, 32767};
    case dtUInt16:
        return {-32768, 65535};
    default:
        return {std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
    }
}
} // namespace

void RestorePlacement(QWidget *window, const QString &section)
{
    PlaceTopLevel(window, ReadStoredPlace(kIni, section));
}

void StorePlacement(const QWidget *window, const QString &section)
{
    StorePlace(window, kIni, section);
}

QLabel *AddStatusPanel(QStatusBar *sb)
{
    auto *panel = new QLabel(sb);
    panel->setObjectName(QStringLiteral("SBPanel0"));
    panel->setAccessibleDescription(QStringLiteral("Состояние"));
    sb->addWidget(panel, 1);
    sb->setSizeGripEnabled(false);
    return panel;
}

bool RegisterField::Typed(QVariant *out) const
{
    const QString text = Edit->text();
    const bool integer = !(WriteType == dtFloat32 || WriteType == dtFloat64);
    double x = 0;
    if (DecimalInput) {
        bool ok = false;
        x = ParseDecimal(text, &ok);
        if (!ok) {
            Messages::Show(QStringLiteral("\"%1\" не является числом").arg(text));
            return false;
        }
    } else {
        int n = 0;
        if (!Messages::ToInteger(text, &n))
            return false;
        x = n;
    }
    if (integer) {
        const Range r = RangeOf(WriteType);
        const qint64 n = RoundHalfEven(x);
        if (n < r.lo || n > r.hi) {
            Messages::Show(
                QStringLiteral("Значение %1 вне допустимых пределов %2..%3").arg(text).arg(r.lo).arg(r.hi));
            return false;
        }
    }
    *out = TypedValue(x, WriteType);
    return true;
}

QString RegisterField::Text(const QVariant &value) const
{
    switch (ReadType) {
    case dtFloat32:
    case dtFloat64:
        break;
    case dtInt16:
        return QString::number(qint16(value.toLongLong()));
    case dtInt8:
        return QString::number(qint8(value.toLongLong()));
    default:
        return QString::number(value.toLongLong());
    }
    return FormatDecimals(value.toDouble(), Decimals);
}

FlowmeterWindow::FlowmeterWindow(const QString &section, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      m_section(section)
{
}

FlowmeterWindow::~FlowmeterWindow()
{
    StorePlacement(this, m_section);
}

void FlowmeterWindow::FormCreate(QStatusBar *sb)
{
    m_sbPanel = AddStatusPanel(sb);
    resize(sizeHint());
    RestorePlacement(this, m_section);
}

void FlowmeterWindow::SetStatus(const QString &text)
{
    m_sbPanel->setText(text);
}

QString FlowmeterWindow::Status() const
{
    return m_sbPanel->text();
}

bool FlowmeterWindow::WriteField(const RegisterField &field, int canal)
{
    QVariant value;
    if (!field.Typed(&value))
        return false;
    return Flowmeter().WriteHoldRegs(field.WriteQid, 0, field.Address(canal), value);
}

void FlowmeterWindow::ReadField(const RegisterField &field, int canal, int count, bool input)
{
    const ModuleLink flowmeter = Flowmeter();
    if (input)
        (void)flowmeter.ReadInputRegs(field.ReadQid, 0, field.Address(canal), field.ReadType, count);
    else
        (void)flowmeter.ReadHoldRegs(field.ReadQid, 0, field.Address(canal), field.ReadType, count);
}
