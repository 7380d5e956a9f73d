#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPointer>

#include <functional>

class IniFile;
class QMenu;
class QWidget;

// Colours and fonts of the main window's edit fields, panels and group boxes: the
// context menu that changes them, "color.ini" that keeps them, and their restoring
// at start-up.
class Appearance : public QObject
{
    Q_OBJECT
public:
    // `find` looks a component of the window up by its exact name.
    Appearance(QWidget &window, std::function<QObject *(const QString &)> find);

    // Edit fields, panels and group boxes: what the colour commands act on.
    static bool Styled(const QObject *control);

    // The mouse moved over `control` (or over the window itself).
    void FormMouseMove(QWidget *control);
    QWidget *HotControl() const { return m_hot; }

    QMenu *ppmColor() const { return m_menu; }
    void N1Click();
    void N3Click();
    void N2Click();
    void ReadIniColor();

    // The colour and font dialogs; true when the operator confirmed.
    std::function<bool(QColor &)> ChooseColor;
    std::function<bool(QFont &, QColor &)> ChooseFont;

private:
    // The entry count of a section, bounded; a count beyond the bound is told.
    static int BoundedCount(IniFile &ini, const QString &section);
    static void SayFull(const QString &section);
    static QColor BackColor(const QWidget *w);
    static void SetBackColor(QWidget *w, const QColor &c);
    static QColor FontColor(const QWidget *w);
    static void SetFontColor(QWidget *w, const QColor &c);

    QWidget &m_window;
    std::function<QObject *(const QString &)> m_find;
    QMenu *m_menu = nullptr;
    QPointer<QWidget> m_hot;
    QFont m_hotFont;
    QColor m_hotFontColor;
    bool m_hotFontSet = false;
};
