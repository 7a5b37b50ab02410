// A move-only owner for a platform handle: closes it through Traits::Close
// unless it holds Traits::Invalid().
#ifndef ZQDOWNLOAD_UNIQUE_RESOURCE_H
#define ZQDOWNLOAD_UNIQUE_RESOURCE_H

namespace zqd {

template <typename T, typename Traits>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T value) : value_(value) {}
    ~UniqueResource() { Reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    T Get() const { return value_; }
    bool Valid() const { return value_ != Traits::Invalid(); }
    explicit operator bool() const { return Valid(); }

    // Closes the current handle and hands out the slot for a creating call.
    T* Put()
    {
        Reset();
        return &value_;
    }

    T Release()
    {
        T value = value_;
        value_ = Traits::Invalid();
        return value;
    }

    void Reset(T value = Traits::Invalid())
    {
        if (Valid()) Traits::Close(value_);
        value_ = value;
    }

private:
    T value_ = Traits::Invalid();
};

}  // namespace zqd

#endif
