// point.cpp -- a small value type with its operators
#include <ostream>
#include "point.h"

bool Point::operator==(const Point& o) const {
    return x_ == o.x_ && y_ == o.y_;
}

bool operator!=(const Point& a, const Point& b)
{
    return !(a == b);
}

Point operator+(Point a, const Point& b)
{
    a += b;
    return a;
}

Point& Point::operator+=(const Point& o)
{
    x_ += o.x_;
    y_ += o.y_;
    return *this;
}

Point operator - (const Point& a)
{
    return Point(-a.x(), -a.y());
}

std::ostream& operator<<(std::ostream& os, const Point& p)
{
    return os << '(' << p.x() << ", " << p.y() << ')';
}

int Grid::operator()(int row, int col) const
{
    return cells_[row * width_ + col];
}

int& Grid::operator[](int i)
{
    return cells_[i];
}

Point::operator bool() const
{
    return x_ != 0 || y_ != 0;
}
