// modern.cpp -- C++11 and later forms
#include <algorithm>
#include <vector>

constexpr int square(int x) { return x * x; }

[[nodiscard]] int checked_div(int a, int b)
{
    return b ? a / b : 0;
}

auto trailing(int x) -> int
{
    return x + 1;
}

static auto by_length = [](const std::string& a, const std::string& b) {
    return a.size() < b.size();
};

template <typename T>
T clamp_to(T v, T lo, T hi)
{
    return std::min(std::max(v, lo), hi);
}

void sort_all(std::vector<int>& v) noexcept
{
    std::sort(v.begin(), v.end(), [](int a, int b) { return a > b; });
}

struct Widget {
    Widget() = default;
    Widget(const Widget&) = delete;
};

Widget::Widget(int w) : width_(w)
{
}

void Widget::resize(int w) & { width_ = w; }

int main(int argc, char** argv)
{
    (void) argc;
    (void) argv;
    return square(checked_div(4, 2)) == 4 ? 0 : 1;
}
