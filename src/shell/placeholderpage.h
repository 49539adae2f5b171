#pragma once
// The configuration, monitor, diagnostic and debugger pages until their own
// widgets arrive: they keep the page contract with their keys, status drawing
// and help page, and show their caption.

#include "shell/pageform.h"

class QLabel;

namespace hvc {

class PlaceholderPage : public PageForm {
    Q_OBJECT
public:
    PlaceholderPage(ShellContext& context, Page page, QWidget* parent = nullptr);

    void refreshObject() override;
    void drawBar(MainBar& bar, QProgressBar* progressBar, const QString& text) override;
    int helpPage() const override;

    static QString caption(Page page);

private:
    QLabel* m_caption;
    QWidget* m_controls;
};

} // namespace hvc
