// Intrusive doubly-linked lists. Every listed record begins with a ListLink<Record> named
// `link`; the owner keeps the head and tail. Nothing here allocates.
#pragma once

namespace ovoid {

template <class T>
struct ListLink {
  T* prev = nullptr;
  T* next = nullptr;
};

template <class T>
struct List {
  T* head = nullptr;
  T* tail = nullptr;
};

/// Appends element at the tail; returns it. A null element is ignored.
template <class T>
T* ListAppend(T* element, List<T>& list) {
  if (element == nullptr) return nullptr;
  if (list.head == nullptr) list.head = element;
  if (list.tail != nullptr) list.tail->link.next = element;
  element->link.next = nullptr;
  element->link.prev = list.tail;
  list.tail = element;
  return element;
}

/// Unlinks element. Its own links are left as they were, so removing a record that was
/// never linked (both links null, not the head) changes nothing.
template <class T>
void ListRemove(T* element, List<T>& list) {
  if (element->link.prev != nullptr) element->link.prev->link.next = element->link.next;
  if (element->link.next != nullptr) element->link.next->link.prev = element->link.prev;
  if (list.head == element) list.head = element->link.next;
  if (list.tail == element) list.tail = element->link.prev;
}

/// Unlinks element and links it again just before anchor.
template <class T>
void ListMoveBefore(T* element, List<T>& list, T* anchor) {
  if (element == anchor) return;
  ListRemove(element, list);
  element->link.next = anchor;
  element->link.prev = anchor->link.prev;
  if (anchor->link.prev != nullptr) anchor->link.prev->link.next = element;
  anchor->link.prev = element;
  if (list.head == anchor) list.head = element;
}

/// Unlinks element and links it again just after anchor.
template <class T>
void ListMoveAfter(T* element, List<T>& list, T* anchor) {
  if (element == anchor) return;
  ListRemove(element, list);
  element->link.prev = anchor;
  element->link.next = anchor->link.next;
  if (anchor->link.next != nullptr) anchor->link.next->link.prev = element;
  anchor->link.next = element;
  if (list.tail == anchor) list.tail = element;
}

}  // namespace ovoid
