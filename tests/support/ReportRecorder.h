#pragma once

#include "ReportPreview.h"

#include <QVector>

// Catches the reports a window would preview, so that its test can read the models instead of
// a modal preview showing. Installed for its lifetime.
class ReportRecorder : public ReportPreview::Sink {
public:
    ReportRecorder() { m_previous = ReportPreview::setSink(this); }
    ~ReportRecorder() override { ReportPreview::setSink(m_previous); }

    void preview(QWidget *, const ReportModel &model) override { m_models.append(model); }

    const QVector<ReportModel> &models() const { return m_models; }
    const ReportModel &last() const { return m_models.last(); }
    void clear() { m_models.clear(); }

private:
    ReportPreview::Sink *m_previous = nullptr;
    QVector<ReportModel> m_models;
};
