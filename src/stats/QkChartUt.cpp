#include "QkChartUt.h"

TQkChartFm::TQkChartFm(QWidget *parent)
    : TChartFm(TopTwelve::Kind::Periodicals, QStringLiteral("期刊统计"), parent)
{
    setObjectName(QStringLiteral("TQkChartFm"));
}
