#pragma once

// The wait cursor shown around every transfer and file command.
class CursorControl {
public:
    virtual ~CursorControl() = default;
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;
};

// A cursor that shows nothing, for tests and command-line tools.
class NoCursor : public CursorControl {
public:
    void BeginWait() override { ++m_waits; }
    void EndWait() override { --m_waits; }
    int Depth() const { return m_waits; }

private:
    int m_waits = 0;
};

// Shows the wait cursor for its lifetime.
class WaitCursor {
public:
    explicit WaitCursor(CursorControl& cursor) : m_cursor(cursor) { m_cursor.BeginWait(); }
    ~WaitCursor() { m_cursor.EndWait(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    CursorControl& m_cursor;
};
