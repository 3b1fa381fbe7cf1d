// counter.cpp -- a class with inline members, a namespace, and out-of-line members
#include <map>
#include <string>

class Counter {
public:
    Counter() : total_(0) {}
    void add(const std::string& key) { ++counts_[key]; ++total_; }
    int count(const std::string& key) const
    {
        auto it = counts_.find(key);
        return it == counts_.end() ? 0 : it->second;
    }
    int total() const;
    void clear();

private:
    std::map<std::string, int> counts_;
    int total_;
};

int Counter::total() const
{
    return total_;
}

void Counter::clear()
{
    counts_.clear();
    total_ = 0;
}

namespace text {

int words(const std::string& s)
{
    int n = 0;
    bool in = false;
    for (char c : s) {
        if (c == ' ') in = false;
        else if (!in) { in = true; ++n; }
    }
    return n;
}

}  // namespace text

int main()
{
    Counter c;
    c.add("a");
    return c.total() == 1 ? 0 : 1;
}
