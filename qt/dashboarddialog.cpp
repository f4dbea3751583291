#include "qt/dashboarddialog.h"

#include "app/puzzledashboard.h"
#include "core/trans.h"
#include "views/ratingplot.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The rating's course at the widget's size.
class RatingPlot : public QWidget {
public:
    RatingPlot(QWidget* parent, std::vector<double> ratings)
        : QWidget(parent), m_ratings(std::move(ratings))
    {
        setMinimumHeight(160);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        draw_rating_plot(&painter, rect(), m_ratings);
    }

private:
    std::vector<double> m_ratings;
};

} // namespace

DashboardDialog::DashboardDialog(QWidget* parent, const PuzzleDashboard& dashboard) : Dialog(parent)
{
    setWindowTitle(QString::fromUtf8(translated("Dashboard")));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(QString::fromStdString(dashboard.text()), this);
    text->setWordWrap(true);
    layout->addWidget(text);
    layout->addWidget(new RatingPlot(this, dashboard.ratings), 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QString::fromUtf8(translated("OK")));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
