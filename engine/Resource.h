// Base of every shared asset (texture, mesh, shader program, sound, animation, font): a cheap handle
// whose copies share one platform object, one reference count and one name.
#pragma once

#include <string>

class Resource {
public:
    // A new asset: count 1, empty name.
    Resource();
    // Shares the other's count (one more) and name.
    Resource(const Resource& other);
    // Kinds write their own assignment with shareFrom, which also tells them when to free their
    // platform object; the base alone only shares.
    Resource& operator=(const Resource& other);
    // Drops this copy's reference when the kind's destructor has not done so already.
    virtual ~Resource();

    // A new heap copy of the same kind sharing count and name.
    virtual Resource* clone() const = 0;

    // Drops this copy's reference. True when it was the last one: count and name are then freed and
    // the caller frees its platform object. A copy released once is not released again.
    bool release();

    // For a kind's copy assignment: releases this copy (true when it was the last, so the kind frees
    // its old platform object), then shares the other's count and name. Assigning an object to
    // itself does nothing and returns false.
    bool shareFrom(const Resource& other);

    // The name the resource table gave the asset, shared by all copies ("" until named).
    const std::string& getName() const;
    void setName(const std::string& newName);
    // Copies alive of this asset (0 once released).
    int useCount() const { return count ? *count : 0; }
    bool isReleased() const { return released; }

private:
    int* count;
    std::string* name;
    bool released = false;
};
