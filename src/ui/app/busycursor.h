#pragma once

// The busy-but-usable pointer of the whole program, shown while any job that asked for it runs: a scan, the
// deployment of ExifTool, a report, a copy. Each job holds a BusyCursor::Job and switches it on and off; a job that
// goes switches itself off.
class BusyCursor final
{
public:
    class Job final
    {
    public:
        explicit Job(BusyCursor& cursor) : m_cursor(cursor) {}
        Job(const Job&) = delete;
        Job& operator=(const Job&) = delete;
        ~Job() { set(false); }

        void set(bool busy);
        bool isOn() const { return m_on; }

    private:
        BusyCursor& m_cursor;
        bool m_on = false;
    };

    BusyCursor() = default;
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    void add();
    void remove();

    int m_jobs = 0;
};
