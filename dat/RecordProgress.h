#pragma once

namespace tarnwick {

// Where a reader reports its progress through the current file (0 to 100).
class RecordProgress {
public:
    virtual ~RecordProgress() = default;
    virtual void SetRecordProgress(float value) = 0;
};

} // namespace tarnwick
