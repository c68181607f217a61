#pragma once

#include "RecordQuery.h"

#include <QDialog>
#include <memory>

class GridModel;
class IdListReader;
class IdRuns;
class RecordIndex;
class WindowScroller;
class QAbstractButton;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTableView;

// What the record browsers have in common: the frameless chrome, a table over
// a GridModel, reload, name, telephone and date searches that replace the
// rows only when they find some, and the .xlsx export of what is on screen.
// Messages are translated in the concrete window's context.
class RecordBrowser : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(RecordBrowser)

public:
    ~RecordBrowser() override;

    void setCompany(const QString& company);
    QTableView* table() const { return m_widgets.table; }
    GridModel* model() const { return m_model; }

    // Shows a row of the whole result, loading only the rows around it.
    void scrollToRow(qint64 row);
    // The result row at the top of the table.
    qint64 topRow() const;
    // On the server, while the ids of the whole table are read behind the
    // first rows shown.
    bool readingAllRows() const { return m_fullList != nullptr; }

    // Widens every column narrower than its title needs; the fixed widths
    // (date column 150, the form's default) stay the least.
    void fitColumnsToTitles();

signals:
    void w_close();

protected slots:
    // Bound by name to the close and export buttons every browser's form has.
    void on_btnMenu_Close_clicked();
    void on_btn_export_execl_clicked();

protected:
    void changeEvent(QEvent* event) override;

    // The form's widgets; the search fields and date edits may be null.
    struct Widgets
    {
        QWidget* titleBar = nullptr;
        QAbstractButton* minButton = nullptr;
        QAbstractButton* maxButton = nullptr;
        QAbstractButton* closeButton = nullptr;
        QLabel* company = nullptr;
        QTableView* table = nullptr;
        QLineEdit* name = nullptr;
        QLineEdit* phone = nullptr;
        QDateEdit* from = nullptr;
        QDateEdit* to = nullptr;
    };
    // Untranslated source texts that differ between the browsers; without an
    // export filter the export button does nothing.
    struct Texts
    {
        const char* emptyPhone = nullptr;
        const char* exportName = nullptr;
        bool translateExportName = false;
        const char* exportFilter = nullptr;
    };

    RecordBrowser(const BrowserTable& table, QWidget* parent);

    // After setupUi: chrome, columns, the date range of this month, first load.
    void setUp(const Widgets& widgets, const QStringList& titles, const Texts& texts);

    void reload();
    void searchName();
    void searchPhone();
    void searchDates();

    // The rows as they open, without the no-result message (DevChDialog).
    void loadQuietly();

private:
    QString trText(const char* source) const;
    void showResult(RowSet result);
    void showNothingFound(LookupStatus status);
    void setRows(IdRuns ids);
    // Every row of the table; false when none (or the read failed).
    LookupStatus loadAll();
    // The ids of the whole table read meanwhile replace the first rows.
    void adoptFullList();

    const BrowserTable& m_table;
    // Shared with the other browsers of the same station file; null on the
    // server, whose own indexes serve the searches.
    std::shared_ptr<RecordIndex> m_index;
    GridModel* m_model;
    WindowScroller* m_scroller = nullptr;
    // On the server, reading every id while the first rows are shown.
    IdListReader* m_fullList = nullptr;
    Widgets m_widgets;
    Texts m_texts;
};
