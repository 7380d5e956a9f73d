#pragma once

#include "session/benchsession.h"

#include <QDialog>
#include <QList>
#include <QStringList>

#include <memory>

namespace Ui
{
class TMProFrm;
}

// The flowmeter type list and the module addresses kept in "QTM.ini".
class TMProFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TMProFrm(QWidget *parent = nullptr);
    ~TMProFrm() override;

    QList<TPribor> Prib; // the list; CPrib == Prib.size()
    int CPrib = 0;
    TPribor Pribor; // the entry confirmed last
    int Imr = 0;    // module addresses as read by readINI
    int Usi = 0;
    int IPT = 0;
    // Descriptors whose addresses writeIni stores; without them Imr, Usi, IPT are stored.
    BenchSession *Session = nullptr;

    // Loads the list and the addresses; a missing "QTM.ini" leaves both as they are.
    void readINI();
    // Stores the addresses and the list, then hides the window; false (with a
    // message) when the file cannot be written.
    bool writeIni();
    QStringList Names() const;

public Q_SLOTS:
    void chbTypeChange(int index);
    void Button1Click();
    void Button2Click();
    void BitBtn4Click();
    void BitBtn5Click();

private:
    void FillTypes();
    // The list entry an item of chbType stands for, -1 for none.
    int EntryOf(int item) const;
    void SetAdding(bool adding);
    bool Adding() const;
    bool AppendEntered();

    std::unique_ptr<Ui::TMProFrm> ui;
};
