#include "journal/runjournal.h"

#include "link/inifile.h"
#include "link/messages.h"

RunJournal::RunJournal() : RunJournal(JournalConfig::Read(IniFile(QStringLiteral("QTM.ini")))) {}

RunJournal::RunJournal(const JournalConfig &config) : m_config(config) {}

void RunJournal::Begin(const Verification::Record &start)
{
    Journal journal(m_config);
    m_number = journal.Begin(start);
    if (m_number == 0 && !m_told) {
        m_told = true;
        Messages::Show(
            journal.Error() +
            QStringLiteral("\rПоверка пройдёт; в журнал она будет записана в конце, если он станет "
                           "доступен."));
    }
}

void RunJournal::Finish(Verification::Record &record, bool stopAsked)
{
    // A run the journal did not take at its start is recorded whole now, when it can be.
    record.number = m_number;
    Journal journal(m_config);
    if (journal.Finish(record, OutcomeOf(record, stopAsked)))
        return;
    record.number = m_number;
    if (!m_told) {
        m_told = true;
        Messages::Show(
            journal.Error() +
            (m_number ? QStringLiteral("\rКонец поверки не записан: в журнале она значится "
                                       "прерванной под № %1. Протокол создаётся как обычно.")
                            .arg(m_number)
                      : QStringLiteral("\rПоверка не записана в журнал; протокол создаётся как обычно.")));
    }
}

void RunJournal::KeepProtocol(const Verification::Record &record)
{
    if (record.number == 0 || !record.completed)
        return;
    Verification::Record kept = record;
    Journal journal{JournalConfig::Read(IniFile(QStringLiteral("QTM.ini")))};
    if (!journal.Finish(kept, Outcome::Completed))
        Messages::Show(
            journal.Error() +
            QStringLiteral("\rПротокол записан; в журнале поверка осталась такой, какой была в её конце."));
}
