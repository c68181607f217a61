#pragma once

#include "AuditTrail.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <QVector>

// The audit rows matching a filter, newest first, read a page at a time as
// the view (or an export) reaches them; only a few pages are held. Read
// only: nothing here can change or remove a row.
class AuditModel : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY(AuditModel)

public:
    enum Column { Time, Manager, Station, Action, Subject, Outcome, ColumnCount };
    static constexpr int kPageRows = 200;
    static constexpr int kHeldPages = 8;

    explicit AuditModel(QObject* parent = nullptr);

    void setTitles(const QStringList& titles);
    // Shown in place of the stored action and outcome names, or of an
    // outcome's leading word (those without one show as stored).
    void setShownNames(const QHash<QString, QString>& names);
    // Counts the matching rows and forgets every held page.
    void setFilter(const AuditFilter& filter);
    const AuditFilter& filter() const { return m_filter; }
    // Pages read from the database so far, for the tests of what is held.
    int pagesRead() const { return m_pagesRead; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const AuditRow* rowAt(int row) const;
    QString shown(const QString& stored) const;

    QStringList m_titles;
    QHash<QString, QString> m_names;
    AuditFilter m_filter;
    int m_rows = 0;
    mutable QHash<int, QVector<AuditRow>> m_pages;
    mutable int m_pagesRead = 0;
};
