#include "BkChartUt.h"

TBkChartFm::TBkChartFm(QWidget *parent)
    : TChartFm(TopTwelve::Kind::Books, QStringLiteral("图书统计"), parent)
{
    setObjectName(QStringLiteral("TBkChartFm"));
}
