#pragma once

// Runs the rest of a scope with the effective user "nobody" when the tests run as root, who may read and write any
// file whatever its mode: a test of a folder that cannot be read or written would otherwise prove nothing. Check
// ok() and skip the test when it is false.
class UnprivilegedScope final
{
public:
    UnprivilegedScope();
    UnprivilegedScope(const UnprivilegedScope&) = delete;
    UnprivilegedScope& operator=(const UnprivilegedScope&) = delete;
    ~UnprivilegedScope();

    // Whether the scope runs without root's rights.
    bool ok() const;

private:
    bool m_active = false;
};
