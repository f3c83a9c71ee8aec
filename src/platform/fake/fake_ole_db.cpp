#include "platform/fake/fake_ole_db.h"

#include <algorithm>
#include <cstring>

namespace {

class FakeRowset : public OleDbRowset {
public:
    FakeRowset(FakeOleDb& db, FakeOleDbAnswer answer, std::vector<OleDbColumn> columns)
        : db_(db), answer_(std::move(answer)), columns_(std::move(columns)) {
        std::lock_guard<std::mutex> lock(db_.mutex);
        ++db_.live_rowsets;
    }
    ~FakeRowset() override {
        release_rows();
        std::lock_guard<std::mutex> lock(db_.mutex);
        --db_.live_rowsets;
    }

    int32_t next_rows(int32_t max, int32_t* obtained) override {
        *obtained = 0;
        int32_t call = calls_++;
        if (db_.on_next_rows) db_.on_next_rows(call);
        if (call == answer_.fail_next_rows_call) return win::kEFail;
        size_t left = answer_.rows.size() - next_;
        size_t n = std::min<size_t>(left, static_cast<size_t>(std::max(0, std::min(max, answer_.batch))));
        batch_start_ = next_;
        batch_count_ = static_cast<int32_t>(n);
        next_ += n;
        *obtained = batch_count_;
        if (n > 0) {
            std::lock_guard<std::mutex> lock(db_.mutex);
            ++db_.held_batches;
            held_ = true;
        }
        bool at_end = next_ == answer_.rows.size();
        if (n == 0) return win::kDbSEndOfRowset;
        return at_end && answer_.end_flag_with_rows ? win::kDbSEndOfRowset : win::kSOk;
    }

    int32_t get_data(int32_t i, void* buffer) override {
        if (i < 0 || i >= batch_count_) return win::kEFail;
        size_t index = batch_start_ + static_cast<size_t>(i);
        const auto& fails = answer_.fail_get_data;
        if (std::find(fails.begin(), fails.end(), index) != fails.end()) return win::kEFail;
        const FakeOleDbRow& row = answer_.rows[index];
        auto* bytes = static_cast<uint8_t*>(buffer);
        for (const OleDbColumn& c : columns_) {
            const std::optional<std::u16string>* value = c.ordinal == 1 ? &row.name : c.ordinal == 2 ? &row.folder : nullptr;
            uint32_t status = win::kDbStatusOk;
            uint64_t length = 0;
            if (!value || !*value) {
                status = win::kDbStatusIsNull;
            } else {
                const std::u16string& s = **value;
                length = s.size() * 2;
                size_t room = c.max_bytes / 2;  // units, terminator included
                size_t n = s.size();
                if (room == 0) {
                    n = 0;
                    status = win::kDbStatusTruncated;
                } else if (n + 1 > room) {
                    n = room - 1;
                    status = win::kDbStatusTruncated;
                }
                if (room > 0) {
                    std::memcpy(bytes + c.value_offset, s.data(), n * 2);
                    std::memset(bytes + c.value_offset + n * 2, 0, 2);
                }
            }
            std::memcpy(bytes + c.length_offset, &length, sizeof length);
            std::memcpy(bytes + c.status_offset, &status, sizeof status);
        }
        return win::kSOk;
    }

    void release_rows() override {
        if (!held_) return;
        held_ = false;
        std::lock_guard<std::mutex> lock(db_.mutex);
        --db_.held_batches;
    }

private:
    FakeOleDb& db_;
    FakeOleDbAnswer answer_;
    std::vector<OleDbColumn> columns_;
    size_t next_ = 0;
    size_t batch_start_ = 0;
    int32_t batch_count_ = 0;
    int32_t calls_ = 0;
    bool held_ = false;
};

}  // namespace

int32_t FakeOleDb::connect() {
    std::lock_guard<std::mutex> lock(mutex);
    if (has_source) return win::kSOk;
    if (connect_result < 0) return connect_result;
    has_source = true;
    ++sources_created;
    return win::kSOk;
}

void FakeOleDb::disconnect() {
    std::lock_guard<std::mutex> lock(mutex);
    if (!has_source) return;
    has_source = false;
    ++sources_released;
}

int32_t FakeOleDb::execute(std::u16string_view sql, const OleDbColumn* columns, int32_t column_count,
                           std::unique_ptr<OleDbRowset>& out) {
    out.reset();
    FakeOleDbAnswer answer;
    {
        std::lock_guard<std::mutex> lock(mutex);
        statements.emplace_back(sql);
        if (!has_source) return win::kEFail;
        if (!answers.empty()) {
            answer = std::move(answers.front());
            answers.pop_front();
        }
    }
    if (answer.execute_result < 0) return answer.execute_result;
    out = std::make_unique<FakeRowset>(*this, std::move(answer),
                                       std::vector<OleDbColumn>(columns, columns + std::max(0, column_count)));
    return win::kSOk;
}
