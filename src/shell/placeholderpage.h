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

    void RefreshObject() override;
    void DrawBar(MainBar& bar, QProgressBar* progressBar, const QString& text) override;
    int HelpPage() const override;

    static QString Caption(Page page);

private:
    QLabel* m_caption;
    QWidget* m_controls;
};

} // namespace hvc
