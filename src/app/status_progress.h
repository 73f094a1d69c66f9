#pragma once

#include "app/document.h"

// For its lifetime, the document's link reports each step of a transfer in the status
// bar; cleared when it ends.
class StatusProgress : public TransferProgress {
public:
    explicit StatusProgress(CTQXLOADER961114Doc& document) : m_document(document) {
        m_document.Link().SetProgress(this);
    }
    ~StatusProgress() override {
        m_document.Link().SetProgress(nullptr);
        if (m_document.Status())
            m_document.Status()->ClearProgress();
    }
    StatusProgress(const StatusProgress&) = delete;
    StatusProgress& operator=(const StatusProgress&) = delete;

    void Step(const std::string& what, int done, int total) override {
        if (m_document.Status())
            m_document.Status()->ShowProgress(done, total, QString::fromStdString(what));
    }

private:
    CTQXLOADER961114Doc& m_document;
};
