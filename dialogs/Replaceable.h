#pragma once

// A service the dialogs reach through one function and tests answer in the user's place: the installed
// replacement while there is one, the standard service otherwise.

template<class Service> class Replaceable
{
public:
    explicit Replaceable(Service& standard)
        : m_standard(standard)
    {
    }

    // Not owned; nullptr restores the standard service.
    void install(Service* replacement) { m_installed = replacement; }
    Service& get() const { return m_installed ? *m_installed : m_standard; }

private:
    Service& m_standard;
    Service* m_installed = nullptr;
};
