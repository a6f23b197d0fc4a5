// CCriticalSection and CSingleLock: a lock and its scoped holder.
//
// A critical section is re-entrant for the thread that holds it (a recursive
// mutex); CSingleLock is the scoped holder that releases on destruction.
#pragma once

#include <mutex>

class CCriticalSection {
public:
    CCriticalSection() = default;
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    // Waits for and takes the lock; a thread that already holds it takes it again.
    bool Lock() {
        m_mutex.lock();
        return true;
    }
    // Releases one hold of the lock.
    bool Unlock() {
        m_mutex.unlock();
        return true;
    }

private:
    std::recursive_mutex m_mutex;
};

class CSingleLock {
public:
    // Binds to a critical section; takes it at once when initialLock is true.
    explicit CSingleLock(CCriticalSection* section, bool initialLock = false) : m_section(section) {
        if (initialLock) Lock();
    }
    ~CSingleLock() { Unlock(); }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    // Takes the section unless this holder already holds it.
    bool Lock() {
        if (m_section && !m_locked) m_locked = m_section->Lock();
        return m_locked;
    }
    // Releases the section if this holder holds it.
    bool Unlock() {
        if (m_section && m_locked) {
            m_section->Unlock();
            m_locked = false;
        }
        return true;
    }
    bool IsLocked() const { return m_locked; }

private:
    CCriticalSection* m_section;
    bool m_locked = false;
};
