#pragma once

#include <QTableView>

class GridFooter;

// The table view of ResultGrid: keeps a band under its rows, above the horizontal scroll bar,
// where the footer totals stand in line with the columns.
class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(QWidget *parent = nullptr);

    GridFooter *footer() const { return m_footer; }
    void setFooterVisible(bool visible);

protected:
    void updateGeometries() override;

private:
    GridFooter *m_footer;
};
