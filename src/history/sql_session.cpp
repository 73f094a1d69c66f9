#include "history/sql_session.h"

const std::string& SqlRow::Text(size_t i) const {
    static const std::string kNone;
    return i < m_columns.size() ? m_columns[i].text : kNone;
}

const std::vector<uint8_t>& SqlRow::Blob(size_t i) const {
    static const std::vector<uint8_t> kNone;
    return i < m_columns.size() ? m_columns[i].blob : kNone;
}
