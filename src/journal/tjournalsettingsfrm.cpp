#include "journal/tjournalsettingsfrm.h"

#include "ui_tjournalsettingsfrm.h"

#include "link/dialogbuttons.h"
#include "link/inifile.h"
#include "link/messages.h"

#include <QDir>
#include <QPushButton>

TJournalSettingsFrm::TJournalSettingsFrm(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TJournalSettingsFrm>())
{
    ui->setupUi(this);
    UseProgramButtonTexts(ui->Buttons);
    connect(ui->RbServer, &QRadioButton::toggled, this, &TJournalSettingsFrm::ShowMode);
    connect(ui->BtnTest, &QPushButton::clicked, this, &TJournalSettingsFrm::BtnTestClick);
    connect(ui->Buttons, &QDialogButtonBox::accepted, this, &TJournalSettingsFrm::OkClick);
    SetConfig(JournalConfig::Read(IniFile(QStringLiteral("QTM.ini"))));
}

TJournalSettingsFrm::~TJournalSettingsFrm() = default;

void TJournalSettingsFrm::SetConfig(const JournalConfig &config)
{
    m_config = config;
    ui->LblFile->setText(QDir::toNativeSeparators(config.SqliteFile()));
    (config.server ? ui->RbServer : ui->RbFile)->setChecked(true);
    ui->EdtHost->setText(config.host);
    ui->EdtPort->setValue(config.port);
    ui->EdtDatabase->setText(config.database);
    ui->EdtUser->setText(config.user);
    ui->EdtPassword->clear();
    ShowMode();
}

JournalConfig TJournalSettingsFrm::Config() const
{
    JournalConfig c = m_config;
    c.server = ui->RbServer->isChecked();
    c.host = ui->EdtHost->text().trimmed();
    c.port = ui->EdtPort->value();
    c.database = ui->EdtDatabase->text().trimmed();
    c.user = ui->EdtUser->text().trimmed();
    c.password = ui->EdtPassword->text();
    return c;
}

void TJournalSettingsFrm::ShowMode()
{
    ui->GbServer->setEnabled(ui->RbServer->isChecked());
}

QString TJournalSettingsFrm::Problem() const
{
    const JournalConfig c = Config();
    if (c.server && (c.host.isEmpty() || c.database.isEmpty() || c.user.isEmpty()))
        return QStringLiteral("Укажите адрес сервера, базу данных и пользователя");
    return {};
}

void TJournalSettingsFrm::BtnTestClick()
{
    if (const QString why = Problem(); !why.isEmpty()) {
        Messages::Show(why);
        return;
    }
    Journal journal(Config());
    if (!journal.Open()) {
        Messages::Show(journal.Error());
        return;
    }
    Messages::Show(QStringLiteral("Журнал поверок доступен: %1").arg(Config().Describe()));
}

void TJournalSettingsFrm::OkClick()
{
    if (const QString why = Problem(); !why.isEmpty()) {
        Messages::Show(why);
        return;
    }
    const JournalConfig c = Config();
    if (c.server && !c.password.isEmpty())
        if (const QString error = SavePassword(c); !error.isEmpty()) {
            Messages::Show(error);
            return;
        }
    IniFile ini(QStringLiteral("QTM.ini"));
    c.Write(ini);
    if (!ini.Save())
        return;
    m_config = c;
    m_config.password.clear();
    accept();
}
