#include "RdChartUt.h"

TRdChartFm::TRdChartFm(QWidget *parent)
    : TChartFm(TopTwelve::Kind::Readers, QStringLiteral("读者信息"), parent)
{
    setObjectName(QStringLiteral("TRdChartFm"));
}
