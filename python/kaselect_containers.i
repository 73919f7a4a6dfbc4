// UnsignedIntVector, SelectorSet, StringSet and their iterators.
//
// The containers are SWIG's std_vector.i / std_set.i instantiations. What this
// file adds is only where their behaviour has to differ:
//
//  - Iterators. SWIG's open iterators (begin, end, find, ...) are bare
//    native iterators, and even its closed ones (iterator(), __iter__) keep
//    native positions that a change of the container leaves dangling. Ours keep
//    the container's Python object alive and hold a position that is checked
//    against the container as it is now at every read and move: a step count
//    for the vector, the element itself for the sets. A closed iterator raises
//    StopIteration at either end, as Python iteration expects; an open one
//    raises IndexError "iterator out of range" when it is read outside its
//    container or moved past either end. A set iterator whose element has been
//    removed raises RuntimeError when read and still moves to the neighbours.
//  - Iterator arguments of erase and insert must belong to the container they
//    are given to (else ValueError "iterator of another container") and point
//    where the operation needs them (else IndexError "iterator out of range").
//  - front, back and pop_back of an empty vector raise IndexError.
//  - SelectorSet/StringSet __getitem__ out of range: RuntimeError
//    "index out of range" (no IndexError clause on the set wrappers).
//  - distance/equal/==/!=/- between iterators of different kinds raise
//    RuntimeError carrying the wrapped std::invalid_argument. This file is
//    included before std_except.i, so the iterator wrappers get SWIG's generic
//    throws typemap instead of std_except.i's ValueError.
//  - Slices whose bounds are not integers raise TypeError instead of being
//    used unset; huge steps are clamped so the slice arithmetic cannot overflow.
//    An iterator step of the most negative ptrdiff_t, which the iterator
//    moves would negate, raises OverflowError.
//  - A one-shot iterator passed where a container is expected is turned into a
//    tuple first, since the overload test would otherwise use it up.
//  - A method called with None as self raises the argument's TypeError instead
//    of using a null object (delete functions accept None and do nothing).
//  - A delete function destroys only what its argument owns: called on a
//    borrowed wrapper (a selection from KaSelect.GetSelection(), an iterator
//    from incr) it does nothing, where the stock wrapper would free an object
//    that lives inside another one or is still owned by another wrapper.
//  - incr, decr and advance return a second, non-owning wrapper of the same
//    native iterator, as SWIG does, but that wrapper keeps the iterator's
//    owning object alive (attribute _owner), so `v.begin().incr()` does not
//    dangle once the temporary is gone. += and -= return the iterator object
//    itself instead of moving the ownership to a new wrapper (which freed the
//    iterator twice when the left side did not own it).
//  - Iterator subtraction with arguments that fit neither overload raises the
//    overload TypeError like every other overloaded function, instead of
//    SWIG's NotImplemented (which came back with the argument-count error
//    still set, a SystemError).

%fragment("KaselContainers", "header", fragment="SwigPyIterator_T") %{
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "selection/selector.h"

namespace kasel_containers {

constexpr bool IsDeleteFunction(std::string_view name) { return name.substr(0, 7) == "delete_"; }
constexpr bool IsEraseFunction(std::string_view name) {
    return name.size() >= 6 && name.substr(name.size() - 6) == "_erase";
}
constexpr bool IsPosition(std::string_view parameter) { return parameter == "pos"; }

enum class Direction { Forward, Reverse };

// What the in-typemaps need from an iterator argument.
enum class Need {
    Element,   // a position holding an element (erase(pos))
    Position,  // any position from the first element to the end (insert, ranges)
};

// Common part: out-of-range reporting by kind of iterator.
class CheckedIterator : public swig::SwigPyIterator {
protected:
    CheckedIterator(PyObject* owner, bool closed) : swig::SwigPyIterator(owner), closed_(closed) {}

    // Sets the error of a read or move outside the container; returns null.
    std::nullptr_t OutOfRange() const {
        if (closed_)
            SWIG_SetErrorObj(PyExc_StopIteration, SWIG_Py_Void());
        else
            PyErr_SetString(PyExc_IndexError, "iterator out of range");
        return nullptr;
    }

    bool closed_;
};

// Iterator over a vector: the position counts steps from begin (forward) or
// from rbegin (reverse); 0..size() is inside the container, size() the end.
template <class Vector, Direction D>
class VectorIterator : public CheckedIterator {
public:
    typedef typename Vector::value_type value_type;

    VectorIterator(Vector* seq, PyObject* owner, std::ptrdiff_t pos, bool closed)
        : CheckedIterator(owner, closed), seq_(seq), pos_(pos) {}

    PyObject* value() const override {
        const std::ptrdiff_t size = Size();
        if (pos_ < 0 || pos_ >= size) return OutOfRange();
        const std::ptrdiff_t i = D == Direction::Forward ? pos_ : size - 1 - pos_;
        return swig::from<value_type>((*seq_)[i]);
    }

    swig::SwigPyIterator* incr(size_t n = 1) override {
        // Steps that fit are taken before the error, as with single steps.
        std::ptrdiff_t room = Size() - pos_;
        if (room < 0) room = 0;
        if (n > static_cast<size_t>(room)) {
            pos_ += room;
            return OutOfRange();
        }
        pos_ += static_cast<std::ptrdiff_t>(n);
        return this;
    }

    swig::SwigPyIterator* decr(size_t n = 1) override {
        const std::ptrdiff_t room = pos_ > 0 ? pos_ : 0;
        if (n > static_cast<size_t>(room)) {
            pos_ -= room;
            return OutOfRange();
        }
        pos_ -= static_cast<std::ptrdiff_t>(n);
        return this;
    }

    ptrdiff_t distance(const swig::SwigPyIterator& other) const override {
        const VectorIterator* it = dynamic_cast<const VectorIterator*>(&other);
        if (!it) throw std::invalid_argument("bad iterator type");
        if (it->seq_ != seq_) throw std::invalid_argument("iterators of different containers");
        return it->pos_ - pos_;
    }

    bool equal(const swig::SwigPyIterator& other) const override {
        const VectorIterator* it = dynamic_cast<const VectorIterator*>(&other);
        if (!it) throw std::invalid_argument("bad iterator type");
        return it->seq_ == seq_ && it->pos_ == pos_;
    }

    swig::SwigPyIterator* copy() const override { return new VectorIterator(*this); }

    // The native iterator for an argument of a method of `self`; sets the
    // Python error and returns false when it cannot be used there.
    bool ToNative(Vector* self, Need need, typename Vector::iterator* out) const {
        if (self != seq_) {
            PyErr_SetString(PyExc_ValueError, "iterator of another container");
            return false;
        }
        const std::ptrdiff_t size = Size();
        if (pos_ < 0 || pos_ > size || (need == Need::Element && pos_ == size)) {
            PyErr_SetString(PyExc_IndexError, "iterator out of range");
            return false;
        }
        *out = self->begin() + pos_;
        return true;
    }

private:
    std::ptrdiff_t Size() const { return static_cast<std::ptrdiff_t>(seq_->size()); }

    Vector* seq_;
    std::ptrdiff_t pos_;
};

// Iterator over an ordered set: the position is a copy of the element it
// stands on, or nothing at the end (past the last element in its direction).
// Moves look the neighbours up by that element, so they are defined whatever
// happened to the set in between.
template <class Set, Direction D>
class SetIterator : public CheckedIterator {
public:
    typedef typename Set::value_type value_type;

    SetIterator(Set* seq, PyObject* owner, std::optional<value_type> key, bool closed)
        : CheckedIterator(owner, closed), seq_(seq), key_(std::move(key)) {}

    PyObject* value() const override {
        if (!key_) return OutOfRange();
        typename Set::const_iterator it = seq_->find(*key_);
        if (it == seq_->end()) {
            PyErr_SetString(PyExc_RuntimeError, "the iterator's element was removed from the set");
            return nullptr;
        }
        return swig::from<value_type>(*it);
    }

    swig::SwigPyIterator* incr(size_t n = 1) override {
        for (; n; --n) {
            if (!key_) return OutOfRange();
            if (D == Direction::Forward)
                key_ = Next(*key_);
            else
                key_ = Previous(*key_);
        }
        return this;
    }

    swig::SwigPyIterator* decr(size_t n = 1) override {
        for (; n; --n) {
            std::optional<value_type> to;
            if (!key_)
                to = D == Direction::Forward ? Last() : First();
            else
                to = D == Direction::Forward ? Previous(*key_) : Next(*key_);
            // No element to go to: the iterator stands at its beginning.
            if (!to) return OutOfRange();
            key_ = std::move(to);
        }
        return this;
    }

    ptrdiff_t distance(const swig::SwigPyIterator& other) const override {
        const SetIterator* it = dynamic_cast<const SetIterator*>(&other);
        if (!it) throw std::invalid_argument("bad iterator type");
        if (it->seq_ != seq_) throw std::invalid_argument("iterators of different containers");
        return it->Rank() - Rank();
    }

    bool equal(const swig::SwigPyIterator& other) const override {
        const SetIterator* it = dynamic_cast<const SetIterator*>(&other);
        if (!it) throw std::invalid_argument("bad iterator type");
        if (it->seq_ != seq_ || bool(it->key_) != bool(key_)) return false;
        if (!key_) return true;
        const typename Set::key_compare less = seq_->key_comp();
        return !less(*key_, *it->key_) && !less(*it->key_, *key_);
    }

    swig::SwigPyIterator* copy() const override { return new SetIterator(*this); }

    bool ToNative(Set* self, Need need, typename Set::iterator* out) const {
        if (self != seq_) {
            PyErr_SetString(PyExc_ValueError, "iterator of another container");
            return false;
        }
        if (!key_) {
            if (need == Need::Element) {
                PyErr_SetString(PyExc_IndexError, "iterator out of range");
                return false;
            }
            *out = self->end();
            return true;
        }
        if (need == Need::Element) {
            *out = self->find(*key_);
            if (*out == self->end()) {
                PyErr_SetString(PyExc_IndexError, "iterator out of range");
                return false;
            }
            return true;
        }
        *out = self->lower_bound(*key_);
        return true;
    }

private:
    std::optional<value_type> First() const {
        if (seq_->empty()) return std::nullopt;
        return *seq_->begin();
    }
    std::optional<value_type> Last() const {
        if (seq_->empty()) return std::nullopt;
        return *seq_->rbegin();
    }
    std::optional<value_type> Next(const value_type& key) const {
        typename Set::const_iterator it = seq_->upper_bound(key);
        if (it == seq_->end()) return std::nullopt;
        return *it;
    }
    std::optional<value_type> Previous(const value_type& key) const {
        typename Set::const_iterator it = seq_->lower_bound(key);
        if (it == seq_->begin()) return std::nullopt;
        return *std::prev(it);
    }
    // Steps from the beginning of the iterator's direction.
    std::ptrdiff_t Rank() const {
        if (!key_) return static_cast<std::ptrdiff_t>(seq_->size());
        if (D == Direction::Forward) return std::distance(seq_->cbegin(), seq_->lower_bound(*key_));
        return std::distance(seq_->upper_bound(*key_), seq_->cend());
    }

    Set* seq_;
    std::optional<value_type> key_;
};

// Our iterator for a native position `at` of `seq`.
template <class T, class A, class It>
swig::SwigPyIterator* MakeForward(std::vector<T, A>* seq, PyObject* owner, const It& at, bool closed) {
    return new VectorIterator<std::vector<T, A>, Direction::Forward>(seq, owner, at - seq->cbegin(), closed);
}
template <class T, class A, class It>
swig::SwigPyIterator* MakeReverse(std::vector<T, A>* seq, PyObject* owner, const It& at, bool closed) {
    return new VectorIterator<std::vector<T, A>, Direction::Reverse>(seq, owner, at - seq->crbegin(), closed);
}
template <class K, class C, class A, class It>
swig::SwigPyIterator* MakeForward(std::set<K, C, A>* seq, PyObject* owner, const It& at, bool closed) {
    std::optional<K> key;
    if (at != seq->cend()) key = *at;
    return new SetIterator<std::set<K, C, A>, Direction::Forward>(seq, owner, std::move(key), closed);
}
template <class K, class C, class A, class It>
swig::SwigPyIterator* MakeReverse(std::set<K, C, A>* seq, PyObject* owner, const It& at, bool closed) {
    std::optional<K> key;
    if (at != seq->crend()) key = *at;
    return new SetIterator<std::set<K, C, A>, Direction::Reverse>(seq, owner, std::move(key), closed);
}

// A new owning wrapped iterator at `at` in `seq`, keeping `owner` (the
// container's Python object) alive; null with the Python error set on failure.
template <class Seq, class It>
PyObject* NewIterator(Seq* seq, PyObject* owner, const It& at, bool closed) {
    swig::SwigPyIterator* it;
    if constexpr (std::is_same_v<It, typename Seq::reverse_iterator> ||
                  std::is_same_v<It, typename Seq::const_reverse_iterator>)
        it = MakeReverse(seq, owner, at, closed);
    else
        it = MakeForward(seq, owner, at, closed);
    return SWIG_NewPointerObj(it, swig::SwigPyIterator::descriptor(), SWIG_POINTER_OWN);
}

// A 2-tuple of new references, or null with the Python error set; takes
// over both arguments (null ones included).
inline PyObject* Pair(PyObject* first, PyObject* second) {
    PyObject* pair = first && second ? PyTuple_New(2) : nullptr;
    if (!pair) {
        Py_XDECREF(first);
        Py_XDECREF(second);
        return nullptr;
    }
    PyTuple_SetItem(pair, 0, first);
    PyTuple_SetItem(pair, 1, second);
    return pair;
}

// The forward iterator class of a container, the only kind its methods take.
template <class Seq> struct ArgumentIterator;
template <class T, class A> struct ArgumentIterator<std::vector<T, A>> {
    typedef VectorIterator<std::vector<T, A>, Direction::Forward> type;
};
template <class K, class C, class A> struct ArgumentIterator<std::set<K, C, A>> {
    typedef SetIterator<std::set<K, C, A>, Direction::Forward> type;
};

// The iterator object of `obj` when it is a forward iterator of a `Seq`.
template <class Seq>
const typename ArgumentIterator<Seq>::type* AsArgument(PyObject* obj) {
    void* ptr = nullptr;
    if (!SWIG_IsOK(SWIG_ConvertPtr(obj, &ptr, swig::SwigPyIterator::descriptor(), 0)) || !ptr) return nullptr;
    return dynamic_cast<const typename ArgumentIterator<Seq>::type*>(static_cast<swig::SwigPyIterator*>(ptr));
}

// A range [first, last) must not run backwards.
template <class T, class A>
bool RangeInOrder(std::vector<T, A>*, typename std::vector<T, A>::iterator first,
                  typename std::vector<T, A>::iterator last) {
    return first <= last;
}
template <class K, class C, class A>
bool RangeInOrder(std::set<K, C, A>* self, typename std::set<K, C, A>::iterator first,
                  typename std::set<K, C, A>::iterator last) {
    if (last == self->end()) return true;
    if (first == self->end()) return false;
    return !self->key_comp()(*last, *first);
}

// A slice with plain integer bounds for the library's slice code: bounds
// that are not integers raise TypeError (PySlice_Unpack's message), huge
// values are clamped to Py_ssize_t, and a step larger in magnitude than the
// container is reduced to one that selects the same elements, so that the
// element counts computed from it cannot overflow. New reference, or null
// with the Python error set.
inline PyObject* PlainSlice(PyObject* slice, size_t size) {
    Py_ssize_t start, stop, step;
    if (PySlice_Unpack(slice, &start, &stop, &step) < 0) return nullptr;
    const Py_ssize_t widest = size < 2 ? 2 : static_cast<Py_ssize_t>(size) + 1;
    if (step > widest) step = widest;
    if (step < -widest) step = -widest;
    PyObject* bounds[3] = {PyLong_FromSsize_t(start), PyLong_FromSsize_t(stop), PyLong_FromSsize_t(step)};
    PyObject* result = nullptr;
    if (bounds[0] && bounds[1] && bounds[2]) result = PySlice_New(bounds[0], bounds[1], bounds[2]);
    for (PyObject* bound : bounds) Py_XDECREF(bound);
    return result;
}

// The name of the attribute through which a borrowed wrapper keeps the
// owner of its native object alive (KaSelect.GetSelection() uses it too).
constexpr const char* kOwnerAttribute = "_owner";

// A non-owning wrapper of `it`, the native iterator of `self` after a move,
// that keeps alive the object owning it: `self` when it owns the iterator,
// otherwise what `self` keeps alive for it, so that a chain of moves on
// borrowed wrappers does not build a chain of wrappers. New reference, or
// null with the Python error set.
inline PyObject* BorrowedIterator(swig::SwigPyIterator* it, PyObject* self) {
    PyObject* owner = self;
    PyObject* held = nullptr;
    SwigPyObject* wrapped = SWIG_Python_GetSwigThis(self);
    if (wrapped && !wrapped->own) {
        held = PyObject_GetAttrString(self, kOwnerAttribute);
        if (held)
            owner = held;
        else
            PyErr_Clear();
    }
    PyObject* result = SWIG_NewPointerObj(it, swig::SwigPyIterator::descriptor(), 0);
    if (result && PyObject_SetAttrString(result, kOwnerAttribute, owner) < 0) Py_CLEAR(result);
    Py_XDECREF(held);
    return result;
}

}  // namespace kasel_containers

namespace swig {
// Every iterator of our containers is made by the typemaps below; these
// deleted overloads make any other use of SWIG's unchecked open iterators a
// compile error.
SwigPyIterator* make_output_iterator(const std::vector<unsigned int>::iterator&, PyObject* = 0) = delete;
SwigPyIterator* make_output_iterator(const std::vector<unsigned int>::reverse_iterator&, PyObject* = 0) = delete;
SwigPyIterator* make_output_iterator(const std::set<KaSel::Selector>::iterator&, PyObject* = 0) = delete;
SwigPyIterator* make_output_iterator(const std::set<KaSel::Selector>::reverse_iterator&, PyObject* = 0) = delete;
SwigPyIterator* make_output_iterator(const std::set<std::string>::iterator&, PyObject* = 0) = delete;
SwigPyIterator* make_output_iterator(const std::set<std::string>::reverse_iterator&, PyObject* = 0) = delete;
}  // namespace swig
%}

// ---- self: None, and ownership in delete functions ---------------------------

// As SWIG's own pointer typemap, but a delete function reads the ownership
// flag while it takes the ownership over: an object the argument does not own
// (it lives inside another object, or another wrapper owns it) is left alone,
// as for None.
%typemap(in, noblock=1, fragment="KaselContainers") SWIGTYPE *self (void *argp = 0, int res = 0, int owned = 0) {
  res = SWIG_ConvertPtrAndOwn($input, &argp, $descriptor, $disown | %convertptr_flags, &owned);
  if (!SWIG_IsOK(res)) {
    %argument_fail(res, "$type", $symname, $argnum);
  }
  $1 = %reinterpret_cast(argp, $ltype);
  if (kasel_containers::IsDeleteFunction("$symname") && !(owned & SWIG_POINTER_OWN)) $1 = 0;
}

%typemap(check, noblock=1, fragment="KaselContainers") SWIGTYPE *self, SWIGTYPE const *self {
  if (!$1 && !kasel_containers::IsDeleteFunction("$symname")) {
    %argument_fail(SWIG_TypeError, "$type", $symname, $argnum);
  }
}

// ---- iterator kinds ---------------------------------------------------------

namespace swig {
%catches(std::invalid_argument) SwigPyIterator::operator==(const SwigPyIterator &x) const;
%catches(std::invalid_argument) SwigPyIterator::operator!=(const SwigPyIterator &x) const;
%catches(std::invalid_argument) SwigPyIterator::operator-(const SwigPyIterator &x) const;

// Subtraction is overloaded (a step or another iterator); arguments that fit
// neither get the overload TypeError, as every other overloaded function.
%nopythonmaybecall SwigPyIterator::operator-;

// += and -= move the iterator itself and return it: the same Python object,
// whose ownership stays as it was.
%feature("del", "0") SwigPyIterator::operator+=;
%feature("new", "0") SwigPyIterator::operator+=;
%feature("del", "0") SwigPyIterator::operator-=;
%feature("new", "0") SwigPyIterator::operator-=;
}

%typemap(out, noblock=1) swig::SwigPyIterator & operator+=, swig::SwigPyIterator & operator-= {
  (void)$1;  // the iterator of self
  if (PyErr_Occurred()) SWIG_fail;
  $result = swig_obj[0];
  Py_INCREF($result);
}

// incr, decr and advance return their own iterator, borrowed; the wrapper
// keeps the iterator's owner alive.
%typemap(out, noblock=1, fragment="KaselContainers")
    swig::SwigPyIterator *incr, swig::SwigPyIterator *decr, swig::SwigPyIterator *advance {
  if (!$1) SWIG_fail;
  $result = kasel_containers::BorrowedIterator($1, swig_obj[0]);
  if (!$result) SWIG_fail;
}

// Iterator moves negate their step (advance, -=, -); the most negative
// ptrdiff_t has no negation, and no container is that long anyway.
%typemap(check, noblock=1, fragment="KaselContainers") ptrdiff_t n {
  if ($1 == PTRDIFF_MIN) {
    %argument_fail(SWIG_OverflowError, "$type", $symname, $argnum);
  }
}

// ---- iterators made and taken by the containers -----------------------------

// iterator() (and so __iter__): SWIG's closed iterator is replaced by ours.
%typemap(out, noblock=1, fragment="KaselContainers") swig::SwigPyIterator *iterator {
  delete $1;
  $result = kasel_containers::NewIterator(arg1, swig_obj[0], arg1->begin(), true);
  if (!$result) SWIG_fail;
}

%define KASEL_CHECKED_ITERATORS(Seq)
%typemap(out, noblock=1, fragment="KaselContainers")
    Seq::iterator begin, Seq::iterator end, Seq::reverse_iterator rbegin, Seq::reverse_iterator rend,
    Seq::iterator erase, Seq::iterator insert,
    Seq::iterator find, Seq::iterator lower_bound, Seq::iterator upper_bound {
  $result = kasel_containers::NewIterator(arg1, swig_obj[0], $1, false);
  if (!$result) SWIG_fail;
}
%typemap(out, noblock=1, fragment="KaselContainers") std::pair<Seq::iterator, Seq::iterator> equal_range {
  $result = kasel_containers::Pair(kasel_containers::NewIterator(arg1, swig_obj[0], $1.first, false),
                                   kasel_containers::NewIterator(arg1, swig_obj[0], $1.second, false));
  if (!$result) SWIG_fail;
}
%typemap(out, noblock=1, fragment="KaselContainers") std::pair<Seq::iterator, bool> insert {
  $result = kasel_containers::Pair(kasel_containers::NewIterator(arg1, swig_obj[0], $1.first, false),
                                   PyBool_FromLong($1.second));
  if (!$result) SWIG_fail;
}
%typemap(typecheck, precedence=%checkcode(ITERATOR), noblock=1, fragment="KaselContainers")
    Seq::iterator pos, Seq::iterator first, Seq::iterator last {
  $1 = kasel_containers::AsArgument< Seq >($input) != 0;
}
// erase(pos) needs an element; insert(pos, ...) and range bounds may be the end.
%typemap(in, noblock=1, fragment="KaselContainers") Seq::iterator pos, Seq::iterator first, Seq::iterator last {
  {
    const kasel_containers::ArgumentIterator< Seq >::type* given = kasel_containers::AsArgument< Seq >($input);
    if (!given) {
      %argument_fail(SWIG_TypeError, "$type", $symname, $argnum);
    }
    const bool element = kasel_containers::IsEraseFunction("$symname") && kasel_containers::IsPosition("$1_name");
    // A null self (None) is refused by its own check below.
    if (arg1 && !given->ToNative(arg1, element ? kasel_containers::Need::Element
                                               : kasel_containers::Need::Position, &$1)) {
      SWIG_fail;
    }
  }
}
// `last` follows `first` (arg2) in both erase(first, last) overloads.
%typemap(check, noblock=1, fragment="KaselContainers") Seq::iterator last {
  if (!kasel_containers::RangeInOrder(arg1, arg2, $1)) {
    SWIG_exception_fail(SWIG_IndexError, "iterator range out of order");
  }
}
%enddef

KASEL_CHECKED_ITERATORS(std::vector<unsigned int>)
KASEL_CHECKED_ITERATORS(std::set<KaSel::Selector>)
KASEL_CHECKED_ITERATORS(std::set<std::string>)

// ---- the vector's unchecked element access ----------------------------------

%define KASEL_NOT_EMPTY(Method, Message)
%exception std::vector<unsigned int>::Method {
  if (arg1->empty()) SWIG_exception_fail(SWIG_IndexError, Message);
  $action
}
%enddef
KASEL_NOT_EMPTY(front, "front of empty container")
KASEL_NOT_EMPTY(back, "back of empty container")
KASEL_NOT_EMPTY(pop_back, "pop from empty container")

// ---- set indexing -----------------------------------------------------------

// Out of range is a RuntimeError "index out of range" here, not the
// IndexError of std_set.i's clause (std::out_of_range is a logic_error).
%catches(std::logic_error) std::set<KaSel::Selector>::__getitem__;
%catches(std::logic_error) std::set<std::string>::__getitem__;

// ---- slices -----------------------------------------------------------------

%typemap(in, noblock=1, fragment="KaselContainers") SWIGPY_SLICEOBJECT *slice (PyObject *plain = 0) {
  if (!PySlice_Check($input)) {
    %argument_fail(SWIG_TypeError, "$type", $symname, $argnum);
  }
  plain = kasel_containers::PlainSlice($input, arg1 ? arg1->size() : 0);  // None as self is refused later
  if (!plain) SWIG_fail;
  $1 = (SWIGPY_SLICEOBJECT *) plain;
}
%typemap(freearg, noblock=1) SWIGPY_SLICEOBJECT *slice {
  Py_XDECREF(plain$argnum);
}

// ---- one-shot iterables -----------------------------------------------------

%pythoncode %{
import collections.abc as _collections_abc


def _materialise_one_shot(args):
    """Arguments with every one-shot iterator replaced by a tuple of its items:
    the overload test reads such an iterator to the end before the chosen
    overload converts it."""
    return tuple(tuple(a) if isinstance(a, _collections_abc.Iterator) else a for a in args)
%}

%pythonprepend std::vector<unsigned int>::vector "args = _materialise_one_shot(args)"
%pythonprepend std::vector<unsigned int>::__setitem__ "args = _materialise_one_shot(args)"
%pythonprepend std::vector<unsigned int>::__setslice__ "args = _materialise_one_shot(args)"
%pythonprepend std::set<KaSel::Selector>::set "args = _materialise_one_shot(args)"
%pythonprepend std::set<std::string>::set "args = _materialise_one_shot(args)"
%pythonprepend KaSel::KaResidueSelector::KaResidueSelector "args = _materialise_one_shot(args)"

%include <std_vector.i>
%include <std_set.i>
