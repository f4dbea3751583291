#pragma once

#include <string>

// A new base is built in a hidden file beside its target and renamed over it
// only when complete; otherwise the file is removed with its journal.
class TemporaryBase {
public:
    // Creates the empty hidden file ".NAME.XXXXXX" beside target.
    explicit TemporaryBase(const std::string& target);
    ~TemporaryBase();
    TemporaryBase(const TemporaryBase&) = delete;
    TemporaryBase& operator=(const TemporaryBase&) = delete;

    const std::string& path() const { return m_path; }

    // Renames the file over target and syncs the folder.
    void replace(const std::string& target);

private:
    std::string m_path;
    bool m_kept = false;
};
