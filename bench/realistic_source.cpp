// Builds the benchmark program by repeating a set of statement templates.
// Each repetition gets its own number, substituted for every `@`, so that
// functions, servers, hosts and labels never repeat.
#include "bench/realistic_source.h"

#include <cstdio>

namespace {

const char* const kPrologue = R"TVL(' Inventory and storefront service, generated for benchmarks.
use json
use http from "net/http.tvl"
load "lib/strings.tvl"
load csv as table
load report from "lib/report.tvl" as rep

)TVL";

const char* const kTemplates[] = {
    // Assignments, arithmetic, strings, durations, records with policies.
    R"TVL(' --- section @: accounts
count_@ = 0
total_@ = 12.5e2 + 0x1F - 3 * (4 / 2)
name_@ = "account \"@\" \t tab \u{1F600} it's"
tags_@ = ["alpha", "beta",
    "gamma"]
wait_@ = 2 days 3 hours 15 minutes
account_@ = {owner: "ann", balance(reset 0): 100, history(link): tags_@, secret(exclude): name_@, label(copy): "x"}
options_@ = {to: 5, if: 2, "quoted key": true, step = nothing}
total_@ += 5
total_@ -= 1
total_@ *= 2
total_@ /= 4
tags_@[1] = "delta"
account_@.balance = account_@.balance + 10
limit_@ {scale}= 2
limit_@ {within 0.5} += 1
adjusted_@ = {scale} total_@ + 1
print "total: " + total_@
print to error "warning for section @"
)TVL",
    // If chains, inline ifs, comparisons, lenses on comparisons.
    R"TVL(if total_@ > 100 and not (count_@ = 0) or name_@ != "none" then
  if count_@ !>= 3 then print "few"
  print "large"
else if total_@ <= 10 then
  print "small"
else if total_@ {approx} = 50 then
  print "about fifty"
else
  print "medium"
end if
if count_@ !< 1 then count_@ = 1
else count_@ += 1
if total_@ {"loose"} >= 20 then
  print total_@ excluding tags_@ intersecting ["alpha"]
end if
)TVL",
    // consider with branches in its column and plain ifs inside branches.
    R"TVL(consider count_@
if 0 then
  print "zero"
if 1 then
  if total_@ > 1 then
    print "one and more"
  end if
else
  print "many"
end consider
)TVL",
    // Loops.
    R"TVL(for each item_@ in tags_@
  if item_@ = "beta" then continue
  print item_@
next
for value_@, index_@ in tags_@
  print index_@
end for
for i_@ = 1 to 10 step 2
  if i_@ > 7 then break
  count_@ += i_@
next i_@
do
  count_@ -= 1
until count_@ <= 0 or total_@ !<= -1
while count_@ < 3 and total_@ !> 1000000
  count_@ = count_@ + 1
end while
)TVL",
    // Functions, a method-style function, calls of every shape.
    R"TVL(function area_@(width, height = 2, unit = "m", exact = true)
  ' the area in square units
  consider unit
  if "m" then
    return width * height
  else
    return nothing
  end consider
end function
function account_@.deposit(amount)
  return amount + 1
end function
area_@(3, 4)
math.sqrt(16)
account_@.history.add("opened")
error.raise(1)
worker_@ = spawn area_@(1, 2)
model_@ = new Account with {owner: "bob", limit: -5}
result_@ = area_@(2) + math.max (1, 2) + account_@.balance.round() + watchers() - unknown
)TVL",
    // Modifiers.
    R"TVL(modifier scale_@(factor) for number
  return factor * 2
end modifier
export modifier roughly equal_@ to(tolerance = 0.5) for number
  return true
end modifier
)TVL",
    // Watches, error handling, labels and jumps, with blocks.
    R"TVL(watch total_@, account_@.balance
  print "changed"
end watch
watch prices_@(count_@)
  print "prices"
end watch
unwatch total_@
without watchers
  total_@ = 0
end without
on error goto recover_@
on error goto next
on warning ignore
on warning print
with lock(account_@)
  account_@.balance -= 1
end with
with principal(name_@)
  print "as principal"
end with
gosub helper_@
goto done_@
helper_@:
  print "helper"
  return
recover_@:
  error "failed in section @"
done_@:
on error stop
)TVL",
    // Program and library blocks.
    R"TVL(program main_@(args, verbose = false)
  print args
end program
library shapes_@
  function circle_@(r)
    return 3.14159 * r * r
  end function
end library
)TVL",
    // A server with routes, directives, a hook and two web sites.
    R"TVL(server api_@(port: 8080, address: "0.0.0.0", inherit: false, workers: 4, timeout: 30)
  root "/srv/www/@"
  trust_proxy "10.0.0.1", "10.0.0.2"
  get "/users/{id}"(req)
    print "user " + req.id
    return {status: 200, body: req.id}
  end get
  post "/users"(req)
    return {status: 201}
  end post
  stream "/events/{channel}"(req)
    return nothing
  end stream
  delete "/users/{id}/sessions/{session}"(req)
    return true
  end delete
  on drain
    print "draining @"
  end on
  web shop_@(host: "shop@.example.com", cert: "shop.pem", key: "shop.key")
    root "/srv/shop/@"
    get "/"(req)
      return "home"
    end get
    get "/files/{path...}"(req)
      return req.path
    end get
    put "/cart/{item}"(req)
      return req.item
    end put
  end web
  web docs_@(host: "docs@.example.com")
    options "/search"(req)
      return nothing
    end options
  end web
end server
)TVL",
};

void append_with_number(std::string& out, const char* text, int number) {
    char digits[16];
    int length = std::snprintf(digits, sizeof digits, "%d", number);
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '@') {
            out.append(digits, static_cast<size_t>(length));
        } else {
            out += *p;
        }
    }
}

}  // namespace

std::string realistic_tovel_source(size_t min_bytes) {
    std::string out;
    out.reserve(min_bytes + 4096);
    out += kPrologue;
    // At least one round, so that even a small request holds every form.
    int number = 1;
    do {
        for (const char* text : kTemplates) append_with_number(out, text, number);
        out += "\n";
        ++number;
    } while (out.size() < min_bytes);
    return out;
}

size_t count_lines(const std::string& text) {
    size_t count = 0;
    for (char byte : text) count += byte == '\n';
    return count;
}

std::string realistic_source_of_lines(size_t lines) {
    size_t bytes = 64 * 1024;
    std::string text = realistic_tovel_source(bytes);
    while (count_lines(text) < lines) {
        bytes += bytes / 8;
        text = realistic_tovel_source(bytes);
    }
    return text;
}
