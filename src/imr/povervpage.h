#pragma once

#include <QWidget>

#include <memory>

namespace Ui
{
class PoverVPage;
}

// Page "Поверка имитации накопления объёма": the volume accumulation with the
// emulation bit cleared, checking the bench's own imitation.
// The volume imitation drives its controls.
class PoverVPage : public QWidget
{
    Q_OBJECT
public:
    explicit PoverVPage(QWidget *parent = nullptr);
    ~PoverVPage() override;

    std::unique_ptr<Ui::PoverVPage> ui;
};
