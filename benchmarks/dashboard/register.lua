-- wrk script: every request a distinct registration of about 600 bytes, in
-- the wizard's shape (question answers, personal fields, game, language).
local counter = 0
local thread_id = 0
local pad = string.rep("x", 330)

function setup(thread)
  thread:set("thread_id", thread_id)
  thread_id = thread_id + 1
end

function request()
  counter = counter + 1
  local path = "/register.asp?ans=1%60%7C2%60A%2520friend%7C3%60Every%2520day%7C4%60" .. pad ..
    "&FirstName=Ann&LastName=Lee&Country=France&Email=ann" .. thread_id .. "x" .. counter ..
    "%40example%252Eorg&dob=1990/5/17&pname=Ember%2520Reach&lang=English"
  return wrk.format("GET", path)
end
