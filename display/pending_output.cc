#include "display/pending_output.hh"

#include <errno.h>
#include <limits.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void report(String name, int error)
{
    std::fprintf(stderr, "%s: %s\n", name.c_str(), std::strerror(error));
}

}  // namespace

PendingOutput::~PendingOutput()
{
    abandon();
}

bool PendingOutput::add(int fd, bool owned, const String &name, char *text, std::size_t size)
{
    Item *item = new Item{fd, owned, name, text, size, 0};
    for (Item *other : _items)
        if (other->fd == fd) {
            _items.push_back(item);
            return true;
        }
    if (!write_some(item)) {
        finish(item);
        return false;
    }
    if (item->done == item->size)
        return finish(item);
    _items.push_back(item);
    return true;
}

bool PendingOutput::first_for_fd(int i) const
{
    for (int j = 0; j < i; j++)
        if (_items[j]->fd == _items[i]->fd)
            return false;
    return true;
}

int PendingOutput::add_to_write_set(fd_set *set) const
{
    int largest = -1;
    for (int i = 0; i < _items.size(); i++)
        if (first_for_fd(i)) {
            FD_SET(_items[i]->fd, set);
            if (_items[i]->fd > largest)
                largest = _items[i]->fd;
        }
    return largest;
}

void PendingOutput::write_ready(const fd_set *set)
{
    for (int i = 0; i < _items.size();) {
        Item *item = _items[i];
        if (!first_for_fd(i) || !FD_ISSET(item->fd, set)) {
            i++;
            continue;
        }
        bool ok = write_some(item);
        if (ok && item->done < item->size) {
            i++;
            continue;
        }
        finish(item);
        for (int j = i; j + 1 < _items.size(); j++)
            _items[j] = _items[j + 1];
        _items.pop_back();
        // The next item of this descriptor, now first, waits for the next
        // round of select.
    }
}

void PendingOutput::abandon()
{
    for (Item *item : _items) {
        std::fprintf(stderr, "%s: not completely written (%zu of %zu bytes)\n",
                     item->name.c_str(), item->done, item->size);
        finish(item);
    }
    _items.clear();
}

bool PendingOutput::write_some(Item *item)
{
    while (item->done < item->size) {
        std::size_t n = item->size - item->done;
        if (!item->owned) {
            // Not ours to make non-blocking (the shell shares it): write
            // no more than a pipe takes at once, and only when poll says
            // there is room; errors and hang-ups show in the write.
            pollfd p = {item->fd, POLLOUT, 0};
            if (poll(&p, 1, 0) <= 0 || !(p.revents & (POLLOUT | POLLERR | POLLHUP | POLLNVAL)))
                return true;
            if (n > PIPE_BUF)
                n = PIPE_BUF;
        }
        ssize_t w = write(item->fd, item->text + item->done, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        if (w < 0) {
            report(item->name, errno);
            return false;
        }
        item->done += w;
    }
    return true;
}

bool PendingOutput::finish(Item *item)
{
    bool ok = true;
    if (item->owned && close(item->fd) != 0 && item->done == item->size) {
        report(item->name, errno);
        ok = false;
    }
    std::free(item->text);
    delete item;
    return ok;
}
