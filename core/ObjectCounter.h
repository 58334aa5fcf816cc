// Base class that keeps the address of every live instance of T in one program-wide set, so that all
// registered types, event handlers, pattern dispensers or particle emitters can be walked; it also
// counts the objects ever made and the most alive at once.
#pragma once

#include <unordered_set>
#include <vector>

template <class T>
class ObjectCounter {
public:
    // The set holds the counter part of each object; convert with object() once it is fully built.
    using Set = std::unordered_set<ObjectCounter<T>*>;

    ObjectCounter() { enter(); }
    ObjectCounter(const ObjectCounter&) { enter(); }
    ObjectCounter& operator=(const ObjectCounter&) { return *this; }
    virtual ~ObjectCounter() { liveObjects().erase(this); }

    // The live set in its own (hash) order; nothing may rely on that order. Created on first use and
    // never freed, so objects destroyed late at exit can still leave it safely.
    static Set& liveObjects() {
        static Set* objects = new Set(8);
        return *objects;
    }

    // Number of live objects.
    static std::size_t liveCount() { return liveObjects().size(); }
    // Number of objects ever made (copies included) since the program started.
    static std::size_t madeCount() { return counts().made; }
    // The most objects that were alive at one time.
    static std::size_t peakCount() { return counts().peak; }

    // A copy of the live set as T pointers, safe to walk while objects come and go.
    static std::vector<T*> snapshot() {
        std::vector<T*> result;
        result.reserve(liveObjects().size());
        for (ObjectCounter<T>* counter : liveObjects()) result.push_back(counter->object());
        return result;
    }

private:
    struct Counts {
        std::size_t made = 0;
        std::size_t peak = 0;
    };
    static Counts& counts() {
        static Counts values;
        return values;
    }
    void enter() {
        Set& live = liveObjects();
        live.insert(this);
        Counts& c = counts();
        ++c.made;
        if (live.size() > c.peak) c.peak = live.size();
    }

public:
    // This object as the T it is part of.
    T* object() { return static_cast<T*>(this); }
    const T* object() const { return static_cast<const T*>(this); }
};
