#include "shell/appearance.h"

#include "link/inifile.h"
#include "link/messages.h"
#include "shell/colorcodes.h"
#include "shell/tfontdlg.h"

#include <QColorDialog>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextEdit>

namespace
{
const QString kColorIni = QStringLiteral("color.ini");
const QString kColor = QStringLiteral("Color");
const QString kFont = QStringLiteral("Font");

bool IsEdit(const QObject *o)
{
    return qobject_cast<const QLineEdit *>(o) || qobject_cast<const QPlainTextEdit *>(o) ||
           qobject_cast<const QTextEdit *>(o);
}
// Edit fields paint their background with Base and their text with Text; group boxes
// and panels with Window and WindowText.
QPalette::ColorRole BackRole(const QWidget *w)
{
    return IsEdit(w) ? QPalette::Base : QPalette::Window;
}
QPalette::ColorRole TextRole(const QWidget *w)
{
    return IsEdit(w) ? QPalette::Text : QPalette::WindowText;
}
} // namespace

Appearance::Appearance(QWidget &window, std::function<QObject *(const QString &)> find)
    : QObject(&window), m_window(window), m_find(std::move(find))
{
    m_menu = new QMenu(&window);
    m_menu->setObjectName(QStringLiteral("ppmColor"));
    const struct {
        const char *name, *caption;
        void (Appearance::*slot)();
    } items[] = {
        {"N1", "Изменить цвет", &Appearance::N1Click},
        {"N3", "Изменить шрифт(цвет, размер, имя)", &Appearance::N3Click},
        {"N2", "Удалить все изменения цветов", &Appearance::N2Click},
    };
    for (const auto &item : items) {
        QAction *a = m_menu->addAction(QString::fromUtf8(item.caption));
        a->setObjectName(QString::fromLatin1(item.name));
        connect(a, &QAction::triggered, this, item.slot);
    }
    ChooseColor = [this](QColor &c) {
        const QColor chosen = QColorDialog::getColor(c, &m_window);
        if (!chosen.isValid())
            return false;
        c = chosen;
        return true;
    };
    ChooseFont = [this](QFont &f, QColor &c) {
        TFontDlg dlg(&m_window);
        dlg.SetChoice(f, c);
        if (dlg.exec() != QDialog::Accepted)
            return false;
        f = dlg.ChosenFont();
        c = dlg.ChosenColor();
        return true;
    };
}

bool Appearance::Styled(const QObject *control)
{
    // A group box of radio buttons is a radio group: no target of the commands.
    const auto *box = qobject_cast<const QGroupBox *>(control);
    const bool radioGroup = box && box->findChild<QRadioButton *>(QString(), Qt::FindDirectChildrenOnly);
    return control && !radioGroup && (IsEdit(control) || box || control->inherits("TPanel"));
}

void Appearance::FormMouseMove(QWidget *control)
{
    m_hot = control;
    if (Styled(control)) {
        m_hotFont = control->font();
        m_hotFontColor = FontColor(control);
        m_hotFontSet = true;
    }
}

QColor Appearance::BackColor(const QWidget *w)
{
    return w->palette().color(BackRole(w));
}

void Appearance::SetBackColor(QWidget *w, const QColor &c)
{
    QPalette p = w->palette();
    p.setColor(BackRole(w), c);
    w->setPalette(p);
    if (!IsEdit(w))
        w->setAutoFillBackground(true);
}

QColor Appearance::FontColor(const QWidget *w)
{
    return w->palette().color(TextRole(w));
}

void Appearance::SetFontColor(QWidget *w, const QColor &c)
{
    QPalette p = w->palette();
    p.setColor(TextRole(w), c);
    w->setPalette(p);
}

void Appearance::N1Click()
{
    // Before the first mouse movement there is no target.
    QWidget *hot = m_hot;
    if (!hot || !(hot == &m_window || Styled(hot)))
        return;
    QColor c = BackColor(hot);
    if (!ChooseColor(c))
        return;
    SetBackColor(hot, c);
    IniFile ini(kColorIni);
    const int i = ColorCodes::EntryFor(ini, kColor, hot->objectName());
    if (i < 0) {
        SayFull(kColor);
        return;
    }
    ini.WriteString(kColor, QStringLiteral("name%1").arg(i), hot->objectName());
    ini.WriteInteger(kColor, QStringLiteral("color%1").arg(i), ColorCodes::Encode(c));
    ini.Save();
}

void Appearance::N3Click()
{
    // Only an edit field, a panel or a group box takes a font: over the window itself,
    // or before any mouse movement, the command changes and writes nothing.
    QWidget *hot = m_hot;
    if (!m_hotFontSet || !Styled(hot))
        return;
    QFont f = m_hotFont;
    QColor c = m_hotFontColor;
    if (!ChooseFont(f, c))
        return;
    hot->setFont(f);
    SetFontColor(hot, c);
    FormMouseMove(hot);
    IniFile ini(kColorIni);
    const int i = ColorCodes::EntryFor(ini, kFont, hot->objectName());
    if (i < 0) {
        SayFull(kFont);
        return;
    }
    ini.WriteString(kFont, QStringLiteral("name%1").arg(i), hot->objectName());
    ini.WriteString(kFont, QStringLiteral("fontname%1").arg(i), f.family());
    ini.WriteInteger(kFont, QStringLiteral("fontcolor%1").arg(i), ColorCodes::Encode(c));
    ini.WriteInteger(kFont, QStringLiteral("fontsize%1").arg(i), f.pointSize());
    ini.Save();
}

void Appearance::N2Click()
{
    QFile::remove(IniFile(kColorIni).FileName());
    Messages::Show(QStringLiteral("После рестарта программы значения будут возвращены"));
}

void Appearance::SayFull(const QString &section)
{
    Messages::Show(QStringLiteral("В файле \"color.ini\" раздел [%1] заполнен (%2 записей): изменение не сохранено")
                       .arg(section)
                       .arg(ColorCodes::kMaxEntries));
}

int Appearance::BoundedCount(IniFile &ini, const QString &section)
{
    const int count = ini.ReadInteger(section, QStringLiteral("count"), 0);
    if (count > ColorCodes::kMaxEntries)
        Messages::Show(QStringLiteral("В файле \"color.ini\" раздел [%1] называет %2 записей: прочитаны первые %3, "
                                      "остальные пропущены")
                           .arg(section)
                           .arg(count)
                           .arg(ColorCodes::kMaxEntries));
    return ColorCodes::EntryCount(ini, section);
}

void Appearance::ReadIniColor()
{
    IniFile ini(kColorIni);
    if (!ini.Exists())
        return;
    const auto target = [this](const QString &name) -> QWidget * {
        if (name.isEmpty())
            return nullptr;
        QObject *o = m_find(name);
        return Styled(o) ? static_cast<QWidget *>(o) : nullptr;
    };
    const int colors = BoundedCount(ini, kColor);
    for (int i = 1; i <= colors; ++i) {
        QWidget *w = target(ini.ReadString(kColor, QStringLiteral("name%1").arg(i)));
        if (w)
            SetBackColor(w, ColorCodes::Decode(ini.ReadInteger(kColor, QStringLiteral("color%1").arg(i),
                                                               ColorCodes::kButtonFace),
                                               w->palette()));
    }
    const int fonts = BoundedCount(ini, kFont);
    for (int i = 1; i <= fonts; ++i) {
        QWidget *w = target(ini.ReadString(kFont, QStringLiteral("name%1").arg(i)));
        if (!w)
            continue;
        SetFontColor(w, ColorCodes::Decode(ini.ReadInteger(kFont, QStringLiteral("Fontcolor%1").arg(i), 0),
                                           w->palette()));
        QFont f = w->font();
        f.setFamily(ini.ReadString(kFont, QStringLiteral("Fontname%1").arg(i), QStringLiteral("Arial")));
        const int size = ini.ReadInteger(kFont, QStringLiteral("Fontsize%1").arg(i), 8);
        f.setPointSize(size > 0 ? size : 8);
        w->setFont(f);
    }
}
