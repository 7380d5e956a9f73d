#pragma once

#include "journal/journal.h"

// The journal's side of one verification run: begun at its start, so that a run the
// program never finishes is still found, and finished at its end with its number.
// A journal that cannot be written is told to the operator once per run; the run and
// its protocol go on without it.
class RunJournal
{
public:
    // The journal of "QTM.ini".
    RunJournal();
    explicit RunJournal(const JournalConfig &config);

    void Begin(const Verification::Record &start);
    // Sets record.number when the journal took the run.
    void Finish(Verification::Record &record, bool stopAsked);
    // Keeps a completed run's record as its protocol was made from it, so the journal
    // makes the same protocol again; a run without a number is left alone.
    static void KeepProtocol(const Verification::Record &record);

private:
    JournalConfig m_config;
    int m_number = 0;
    bool m_told = false;
};
