#pragma once
// Form resources: text descriptions of a root component and everything it
// holds, compiled into the program as RCDATA named after the root's class.
//
//   object MainForm: TMainForm
//     Tag = 3
//     object nRings: TScrVInteger
//       Def = 60
//       Ranges = <
//         item
//           Caption = 'Range0'
//           Min = 2
//         end>
//     end
//   end
//
// Values: integers (decimal or $hex), reals with '.', strings in single
// quotes with #nn character codes and '+' joining pieces, True/False,
// identifiers (enumerations, colours, cursors, references, method names),
// sets [a, b], string lists ('a' 'b'), collections <item ... end>, and
// {hexadecimal} data. Property names may be dotted paths into sub-objects.
//
// Reading creates each nested object through the class registry, names it,
// sets its properties in order and reads its children (owned by the
// container's GetChildOwner, else the root; parented by GetChildParent).
// Then every reference is fixed up, then each component read gets Loaded().
// Any fault raises EReadError naming the resource and the line.
#include <string>

#include "toolkit/classes.h"

class EReadError : public EFilerError {
 public:
  EReadError(const std::string& resource, int line, const std::string& what);
  const std::string& Resource() const { return resource_; }
  int Line() const { return line_; }
  const std::string& What() const { return what_; }

 private:
  std::string resource_;
  int line_;
  std::string what_;
};

// One resource text for `root`, whose header must name class `resourceClass`
// (the root's class or one of its ancestors). Several of them can be read
// into one root (an ancestor's resource, then the descendant's, whose nested
// objects may say "inherited" to reach what the ancestor created);
// references and Loaded follow once all are read.
void ReadComponentResTexts(TComponent* root,
                           const std::vector<std::pair<TClass, std::string>>& resources);
// The text of the RCDATA resource named after the class; false when the
// program has none.
bool FindComponentResource(TClass cls, std::string& text);
// Reads into `root` the resources of its class and of its ancestors up to,
// not including, `rootAncestor`, ancestors first. A class without a resource
// is skipped; when no class below `rootAncestor` has one, EResNotFound.
void InitInheritedComponent(TComponent* root, TClass rootAncestor);
