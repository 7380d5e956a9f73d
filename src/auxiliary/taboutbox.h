#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

class TVerInfoRes;
namespace Ui
{
class TAboutBox;
}

// "О программе": the program's picture, name and version from its own version information.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);
    ~TAboutBox() override;

    void Fill(const TVerInfoRes &info);

    // "Версия: " + version + " " + one " name" per flag that is set.
    static QString VersionText(const QString &fileVersion, const QStringList &flags);

private:
    std::unique_ptr<Ui::TAboutBox> ui;
};

// N9Click: reads the version information of the executable and shows the box modally;
// an error while reading shows its message instead.
void OpenAboutBox(QWidget *parent, const QString &executable);
