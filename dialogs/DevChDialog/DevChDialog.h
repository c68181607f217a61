#pragma once

#include "RecordBrowser.h"
#include "StationConfig.h"

#include <QScopedPointer>

namespace Ui {
class DevChDialog;
}

// The top-ups of the reader's own balance (table devch), filled once as it
// opens; it stays above the other windows.
class DevChDialog : public RecordBrowser
{
    Q_OBJECT
    Q_DISABLE_COPY(DevChDialog)

public:
    explicit DevChDialog(QWidget* parent = nullptr);
    ~DevChDialog() override;

    // Shows the company of the configuration.
    void setConfig(const StationConfig& config);

private:
    const QScopedPointer<Ui::DevChDialog> m_ui;
};
