#pragma once

#include <QWidget>

#include <memory>

namespace Ui
{
class ImitVPage;
}

// Page "Имитация накопл. объема": the volume accumulation towards the flowmeter under test
// and the place of the pulse counter group.
// The volume imitation drives its controls.
class ImitVPage : public QWidget
{
    Q_OBJECT
public:
    explicit ImitVPage(QWidget *parent = nullptr);
    ~ImitVPage() override;

    std::unique_ptr<Ui::ImitVPage> ui;
};
